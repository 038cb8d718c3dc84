#pragma once

#include <functional>

#include "controls/Clock.h"

namespace qv {

// A periodic timer in milliseconds. Setting the interval restarts the countdown;
// enabling a disabled timer starts its countdown from now; enabling an enabled one
// changes nothing. An interval of 0 never ticks.
class Timer {
public:
    Timer(Clock& clock, bool enabled) : clock_(clock), enabled_(enabled) {
        clock_.timer_added(*this);
    }
    ~Timer() { clock_.timer_removed(*this); }
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    std::function<void()> on_tick;

    int interval() const { return interval_; }
    void set_interval(int ms) {
        interval_ = ms < 0 ? 0 : ms;
        if (enabled_) clock_.timer_changed(*this);
    }
    bool enabled() const { return enabled_; }
    void set_enabled(bool enabled) {
        if (enabled == enabled_) return;
        enabled_ = enabled;
        clock_.timer_changed(*this);
    }
    bool running() const { return enabled_ && interval_ > 0; }

    void tick() {
        if (on_tick) on_tick();
    }

private:
    Clock& clock_;
    int interval_ = 0;
    bool enabled_;
};

}  // namespace qv
