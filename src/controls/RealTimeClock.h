#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "controls/Clock.h"

namespace qv {

// A clock that keeps time with the machine's monotonic clock, for the command-line player.
// Every tick is due at the last due time plus the interval, never at now plus the interval,
// so that the time line keeps pace with the clock on the wall through hours. Timers due at
// the same moment tick in the order in which they were created (Timer1 before Timer2), as
// in the window. A tick that comes late by less than one interval is delivered and the
// grid kept; after a longer stall (a suspended process, a stopped terminal) the timer ticks
// once and starts again from now, as the window's timers do.
class RealTimeClock : public Clock {
public:
    // Where the time comes from: nanoseconds of a monotonic clock, and a wait until such a
    // time (which may end early). Tests give a clock of their own.
    struct TimeSource {
        std::function<std::int64_t()> now_ns;
        std::function<void(std::int64_t)> sleep_until_ns;
    };
    static TimeSource monotonic();

    explicit RealTimeClock(TimeSource source = monotonic());

    // Milliseconds since the clock was made.
    std::int64_t now_ms() const;

    // Delivers every tick due up to `deadline_ms` (on now_ms()'s scale) as it falls due,
    // waiting in between, and returns at the deadline, or right after a tick once `woken`
    // says so.
    void run_until(std::int64_t deadline_ms, const std::function<bool()>& woken = {});

    // Told when a timer skipped ahead after a stall, with how late its tick was.
    std::function<void(std::int64_t late_ms)> on_skip;

    void timer_added(Timer& timer) override;
    void timer_removed(Timer& timer) override;
    void timer_changed(Timer& timer) override;

private:
    struct Entry {
        Timer* timer;
        std::int64_t due_ns;
        bool armed;
    };
    Entry* earliest();

    TimeSource source_;
    std::int64_t start_ns_;
    std::vector<Entry> entries_;
};

}  // namespace qv
