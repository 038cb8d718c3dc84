#pragma once

#include <memory>
#include <unordered_map>

#include "controls/Clock.h"

class QTimer;

namespace qv {

// The window's clock: one precise QTimer per timer of the form, so ticks arrive from Qt's
// event loop, one at a time, between the handlers of other events.
class QtClock : public Clock {
public:
    QtClock();
    ~QtClock() override;
    QtClock(const QtClock&) = delete;
    QtClock& operator=(const QtClock&) = delete;

    void timer_added(Timer& timer) override;
    void timer_removed(Timer& timer) override;
    void timer_changed(Timer& timer) override;

private:
    void deliver(Timer& timer);

    std::unordered_map<Timer*, std::unique_ptr<QTimer>> timers_;
    Timer* ticking_ = nullptr;
};

}  // namespace qv
