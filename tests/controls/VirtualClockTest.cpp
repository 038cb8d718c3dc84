#include <gtest/gtest.h>

#include <string>

#include "controls/Timer.h"
#include "controls/VirtualClock.h"

namespace qv {
namespace {

TEST(VirtualClock, DeliversTicksInTimeOrderWithTiesInCreationOrder) {
    VirtualClock clock;
    Timer fast(clock, true), slow(clock, true);
    std::string log;
    fast.on_tick = [&] { log += "f" + std::to_string(clock.now_ms()) + " "; };
    slow.on_tick = [&] { log += "s" + std::to_string(clock.now_ms()) + " "; };
    fast.set_interval(25);
    slow.set_interval(100);
    clock.advance_to(100);
    EXPECT_EQ(log, "f25 f50 f75 f100 s100 ");
    EXPECT_EQ(clock.now_ms(), 100);
}

TEST(VirtualClock, IntervalRestartsTheCountdownAndEnablingStartsFromNow) {
    VirtualClock clock;
    Timer t(clock, true);
    int ticks = 0;
    t.on_tick = [&] { ++ticks; };
    t.set_interval(25);
    clock.advance_to(20);
    t.set_interval(30);  // due at 50 now, not at 25
    clock.advance_to(49);
    EXPECT_EQ(ticks, 0);
    clock.advance_to(50);
    EXPECT_EQ(ticks, 1);

    t.set_enabled(true);  // already on: nothing changes, next tick still at 80
    clock.advance_to(70);
    t.set_enabled(false);
    t.set_enabled(true);  // from now: due at 100
    clock.advance_to(99);
    EXPECT_EQ(ticks, 1);
    clock.advance_to(100);
    EXPECT_EQ(ticks, 2);
}

TEST(VirtualClock, AHandlerThatChangesTimersIsNotReenteredAndTheChangeCounts) {
    VirtualClock clock;
    Timer a(clock, true), b(clock, false);
    int depth = 0, max_depth = 0, b_ticks = 0;
    a.on_tick = [&] {
        max_depth = std::max(max_depth, ++depth);
        b.set_interval(10);
        b.set_enabled(true);
        a.set_enabled(false);
        --depth;
    };
    b.on_tick = [&] { ++b_ticks; };
    a.set_interval(100);
    clock.advance_to(135);
    EXPECT_EQ(max_depth, 1);
    EXPECT_EQ(b_ticks, 3);  // 110, 120, 130
    EXPECT_EQ(clock.next_due(), 140);
}

}  // namespace
}  // namespace qv
