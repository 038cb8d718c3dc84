// The AM and shift modulators: their phases, their slider outputs and the shift offsets.
#include <cmath>
#include <numbers>

#include "TickFixture.h"

namespace qv::test {
namespace {

TEST_F(TickTest, AmAtFullDepthPeaksAtQuarterTurn) {
    sc(12).set_value(50);  // base 50, depth 50, offset 0, speed 0
    form.engine.amPhase = static_cast<float>(std::numbers::pi / 2);
    tick();
    EXPECT_EQ(sc(24).value(), 100);
    EXPECT_EQ(sc(25).value(), 0);
    EXPECT_EQ(tx(25).text(), "0");
    EXPECT_EQ(tx(24).text(), "");  // sc(24) stood at 100 already: no change event wrote it
}

TEST_F(TickTest, AmOutputBeyondItsRangeKeepsTheLastAcceptedValue) {
    sc(10).set_value(80);
    sc(12).set_value(50);
    sc(11).set_value(100);  // one radian per tick
    // round(80 + 50 sin(n)) for n = 1..12 is 122 125 87 42 32 66 113 129 101 53 30 53.
    const int expected[] = {100, 100, 87, 42, 32, 66, 66, 66, 66, 53, 30, 53};
    for (int want : expected) {
        tick();
        EXPECT_EQ(sc(24).value(), want) << "amPhase " << form.engine.amPhase;
    }
    for (int n = 0; n < 300; ++n) {
        int before = sc(24).value();
        tick();
        double wanted =
            std::nearbyint(80 + 50 * std::sin(static_cast<double>(form.engine.amPhase)));
        EXPECT_EQ(sc(24).value(), wanted > 100 ? before : wanted);
    }
}

TEST_F(TickTest, PhasesWrapOnlyWhenTheyExceed9000) {
    sc(11).set_value(100);
    form.engine.amPhase = 8999;
    tick();
    EXPECT_EQ(form.engine.amPhase, 9000.0f);
    tick();
    EXPECT_EQ(form.engine.amPhase, 0.0f);  // 9001 in this tick
    tick();
    EXPECT_EQ(form.engine.amPhase, 1.0f);

    // The test reads the stored 32-bit phase: 8999.7 + 0.3 lands on exactly 9000 there.
    sc(11).set_value(30);
    form.engine.amPhase = 8999.7f;
    tick();
    EXPECT_EQ(form.engine.amPhase, 9000.0f);

    sc(16).set_value(100);
    form.engine.shiftPhase = 8999.5f;
    tick();
    EXPECT_EQ(form.engine.shiftPhase, 0.0f);
}

TEST_F(TickTest, FrozenAmHoldsItsOutputsAndFlatAmGivesTheBase) {
    sc(10).set_value(70);
    sc(12).set_value(20);
    form.engine.amPhase = 1.25f;
    tick(3);
    EXPECT_EQ(form.engine.amPhase, 1.25f);  // speed 0
    EXPECT_EQ(sc(24).value(), 89);          // 70 + 18.98
    EXPECT_EQ(sc(25).value(), 51);          // 70 - 18.98

    sc(12).set_value(0);
    sc(11).set_value(37);
    for (int n = 0; n < 5; ++n) {
        tick();
        EXPECT_EQ(sc(24).value(), 70);
        EXPECT_EQ(sc(25).value(), 70);
    }
}

TEST_F(TickTest, AnyCheckedOrGreyedBoxLeavesItsSliderToTheUser) {
    sc(12).set_value(50);
    sc(11).set_value(100);
    ck(0).set_value(2);
    ck(1).set_value(1);
    ck(2).set_value(2);
    ck(3).set_value(1);
    sc(24).set_value(33);
    sc(25).set_value(44);
    sc(22).set_value(11);
    sc(23).set_value(22);
    sc(16).set_value(100);
    sc(17).set_value(100);
    tick(5);
    EXPECT_EQ(sc(24).value(), 33);
    EXPECT_EQ(sc(25).value(), 44);
    EXPECT_EQ(sc(22).value(), 11);
    EXPECT_EQ(sc(23).value(), 22);
    // The phases ran on meanwhile, so unchecking resumes at the current phase.
    EXPECT_EQ(form.engine.amPhase, 5.0f);
    ck(0).set_value(0);
    tick();
    EXPECT_EQ(sc(24).value(), std::nearbyint(50 + 50 * std::sin(6.0)));
}

TEST_F(TickTest, ShiftWithoutDepthRestsBothSlidersAt50) {
    sc(16).set_value(80);
    sc(22).set_value(10);
    ck(2).set_value(0);
    for (int n = 0; n < 4; ++n) {
        tick();
        EXPECT_EQ(sc(22).value(), 50);
        EXPECT_EQ(sc(23).value(), 50);
    }
}

TEST_F(TickTest, ShiftMovesBothSlidersAgainstEachOther) {
    sc(16).set_value(30);
    sc(17).set_value(60);
    sc(18).set_value(16);  // the right one half a radian behind
    tick(4);
    const double phase = form.engine.shiftPhase;
    EXPECT_FLOAT_EQ(form.engine.shiftPhase, 1.2f);
    EXPECT_EQ(sc(22).value(), std::nearbyint(50 + std::sin(phase) * 60 / 2));
    EXPECT_EQ(sc(23).value(), std::nearbyint(50 - std::sin(phase - 0.5) * 60 / 2));
    EXPECT_EQ(tx(22).text(), std::to_string(sc(22).value()));
}

TEST_F(TickTest, FullSyncMakesTheShiftPhaseFollowTheAmPhaseExactly) {
    sc(19).set_value(100);
    sc(11).set_value(37);
    for (int n = 0; n < 400; ++n) {
        tick();
        ASSERT_EQ(form.engine.shiftPhase, form.engine.amPhase) << "tick " << n;
    }
}

// The shift phase is rounded to 32 bits once per tick: adding its two increments with a
// rounding in between drifts measurably within a minute of ticks.
TEST_F(TickTest, ShiftPhaseIsRoundedOncePerTick) {
    sc(16).set_value(1);
    sc(11).set_value(1);
    sc(19).set_value(50);
    float once = 0, twice = 0;
    for (int n = 0; n < 1000; ++n) {
        once = static_cast<float>(once + 0.01 + 0.01 * 0.5);
        twice = static_cast<float>(static_cast<float>(twice + 0.01) + 0.01 * 0.5);
    }
    ASSERT_NE(once, twice);
    tick(1000);
    EXPECT_EQ(form.engine.shiftPhase, once);
}

}  // namespace
}  // namespace qv::test
