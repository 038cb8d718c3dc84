#include <gtest/gtest.h>

#include <random>

#include "controls/RealTimeClock.h"
#include "controls/Timer.h"

namespace qv {
namespace {

constexpr std::int64_t kMs = 1000000;

// A monotonic clock whose waits wake up to 20 ms late, as a busy machine's do.
struct FakeTime {
    std::int64_t now = 5 * kMs;
    std::mt19937 late{7};
    RealTimeClock::TimeSource source() {
        return {[this] { return now; },
                [this](std::int64_t until) {
                    now = std::max(now, until + static_cast<std::int64_t>(late() % 20) * kMs);
                }};
    }
};

TEST(RealTimeClock, TenHoursKeepEveryDeadline) {
    FakeTime time;
    RealTimeClock clock(time.source());
    Timer synthesis(clock, true), transport(clock, true);
    synthesis.set_interval(30);
    transport.set_interval(100);
    long ticks[2] = {0, 0};
    synthesis.on_tick = [&] { ++ticks[0]; };
    transport.on_tick = [&] { ++ticks[1]; };
    clock.run_until(10LL * 3600 * 1000);
    // Late wake-ups are caught up on the grid: not one tick lost or added in ten hours.
    EXPECT_EQ(ticks[0], 10L * 3600 * 1000 / 30);
    EXPECT_EQ(ticks[1], 10L * 3600 * 1000 / 100);
}

TEST(RealTimeClock, TiesTickInCreationOrderAndAfterAStallATimerStartsAgainFromNow) {
    std::int64_t now = 0;
    RealTimeClock clock({[&] { return now; }, [&](std::int64_t until) { now = until; }});
    Timer first(clock, true), second(clock, true);
    second.set_interval(100);
    first.set_interval(50);
    std::string ticks;
    std::vector<std::int64_t> skipped;
    first.on_tick = [&] { ticks += "a" + std::to_string(clock.now_ms()) + " "; };
    second.on_tick = [&] { ticks += "b" + std::to_string(clock.now_ms()) + " "; };
    clock.on_skip = [&](std::int64_t late) { skipped.push_back(late); };
    clock.run_until(220);
    now += 5000 * kMs;  // the process was stopped for five seconds
    clock.run_until(clock.now_ms() + 60);
    EXPECT_EQ(ticks, "a50 a100 b100 a150 a200 b200 a5220 b5220 a5270 ");
    EXPECT_EQ(skipped, (std::vector<std::int64_t>{4970, 4920}));
}

}  // namespace
}  // namespace qv
