#pragma once

namespace qv {

class Timer;

// Delivers timer ticks. A clock is told whenever one of its timers is created, changed
// or destroyed; it delivers ticks one at a time, only between handlers, never nested.
// The virtual clock lives in the core; the window's clock runs on Qt's event loop.
class Clock {
public:
    virtual ~Clock() = default;
    virtual void timer_added(Timer& timer) = 0;
    virtual void timer_removed(Timer& timer) = 0;
    // Restart the timer's countdown from now with its current interval, or stop it when
    // it is disabled (or its interval is 0).
    virtual void timer_changed(Timer& timer) = 0;
};

}  // namespace qv
