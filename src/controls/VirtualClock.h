#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "controls/Clock.h"

namespace qv {

// A clock advanced by hand, for tests and the renderer. Time is in whole milliseconds.
// Ticks are delivered in time order; timers due at the same moment tick in the order in
// which they were created.
class VirtualClock : public Clock {
public:
    std::int64_t now_ms() const { return now_; }

    // The time of the next tick, if any timer runs.
    std::optional<std::int64_t> next_due() const;
    // Delivers the next tick if it is due at or before limit_ms; the clock then stands
    // at that tick's time. Returns false (and leaves the time) when none is due.
    bool run_next(std::int64_t limit_ms);
    // Delivers every tick due up to t_ms and leaves the clock at t_ms.
    void advance_to(std::int64_t t_ms);
    void advance(std::int64_t ms) { advance_to(now_ + ms); }

    void timer_added(Timer& timer) override;
    void timer_removed(Timer& timer) override;
    void timer_changed(Timer& timer) override;

private:
    struct Entry {
        Timer* timer;
        std::int64_t due;
        bool armed;
    };
    Entry* earliest();
    const Entry* earliest() const;

    std::int64_t now_ = 0;
    std::vector<Entry> entries_;
};

}  // namespace qv
