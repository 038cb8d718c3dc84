#include "controls/RealTimeClock.h"

#include <time.h>

#include <algorithm>

#include "controls/Timer.h"

namespace qv {

namespace {

constexpr std::int64_t kNsPerMs = 1000000;

std::int64_t monotonic_ns() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

}  // namespace

RealTimeClock::TimeSource RealTimeClock::monotonic() {
    return {monotonic_ns, [](std::int64_t until_ns) {
                timespec t{static_cast<time_t>(until_ns / 1000000000),
                           static_cast<long>(until_ns % 1000000000)};
                // An absolute wait does not drift; a signal ends it early, which is wanted.
                clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr);
            }};
}

RealTimeClock::RealTimeClock(TimeSource source)
    : source_(std::move(source)), start_ns_(source_.now_ns()) {}

std::int64_t RealTimeClock::now_ms() const {
    return (source_.now_ns() - start_ns_) / kNsPerMs;
}

RealTimeClock::Entry* RealTimeClock::earliest() {
    Entry* best = nullptr;
    for (Entry& e : entries_) {
        if (e.armed && (!best || e.due_ns < best->due_ns)) best = &e;
    }
    return best;
}

void RealTimeClock::run_until(std::int64_t deadline_ms, const std::function<bool()>& woken) {
    const std::int64_t deadline_ns = start_ns_ + deadline_ms * kNsPerMs;
    for (;;) {
        Entry* e = earliest();
        const std::int64_t now = source_.now_ns();
        if (!e || e->due_ns > std::min(now, deadline_ns)) {
            if (now >= deadline_ns) return;
            source_.sleep_until_ns(e ? std::min(e->due_ns, deadline_ns) : deadline_ns);
            continue;
        }
        const std::int64_t due = e->due_ns;
        const std::int64_t interval = static_cast<std::int64_t>(e->timer->interval()) * kNsPerMs;
        e->due_ns = due + interval;
        if (e->due_ns <= now) {
            // A whole interval or more behind: this tick comes, the missed ones do not.
            e->due_ns = now + interval;
            if (on_skip) on_skip((now - due) / kNsPerMs);
        }
        // The entry may move while the handler creates or destroys timers.
        Timer* timer = e->timer;
        timer->tick();
        if (woken && woken()) return;
    }
}

void RealTimeClock::timer_added(Timer& timer) {
    entries_.push_back({&timer, 0, false});
    timer_changed(timer);
}

void RealTimeClock::timer_removed(Timer& timer) {
    std::erase_if(entries_, [&](const Entry& e) { return e.timer == &timer; });
}

void RealTimeClock::timer_changed(Timer& timer) {
    for (Entry& e : entries_) {
        if (e.timer != &timer) continue;
        e.armed = timer.running();
        e.due_ns = source_.now_ns() + static_cast<std::int64_t>(timer.interval()) * kNsPerMs;
    }
}

}  // namespace qv
