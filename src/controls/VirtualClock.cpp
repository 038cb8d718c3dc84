#include "controls/VirtualClock.h"

#include <algorithm>

#include "controls/Timer.h"

namespace qv {

const VirtualClock::Entry* VirtualClock::earliest() const {
    const Entry* best = nullptr;
    for (const Entry& e : entries_) {
        if (e.armed && (!best || e.due < best->due)) best = &e;
    }
    return best;
}

VirtualClock::Entry* VirtualClock::earliest() {
    return const_cast<Entry*>(static_cast<const VirtualClock*>(this)->earliest());
}

std::optional<std::int64_t> VirtualClock::next_due() const {
    const Entry* e = earliest();
    if (!e) return std::nullopt;
    return e->due;
}

bool VirtualClock::run_next(std::int64_t limit_ms) {
    Entry* e = earliest();
    if (!e || e->due > limit_ms) return false;
    now_ = e->due;
    e->due += e->timer->interval();
    // The entry may move while the handler creates or destroys timers: keep the pointer.
    Timer* timer = e->timer;
    timer->tick();
    return true;
}

void VirtualClock::advance_to(std::int64_t t_ms) {
    while (run_next(t_ms)) {
    }
    now_ = std::max(now_, t_ms);
}

void VirtualClock::timer_added(Timer& timer) {
    entries_.push_back({&timer, 0, false});
    timer_changed(timer);
}

void VirtualClock::timer_removed(Timer& timer) {
    std::erase_if(entries_, [&](const Entry& e) { return e.timer == &timer; });
}

void VirtualClock::timer_changed(Timer& timer) {
    for (Entry& e : entries_) {
        if (e.timer != &timer) continue;
        e.armed = timer.running();
        e.due = now_ + timer.interval();
    }
}

}  // namespace qv
