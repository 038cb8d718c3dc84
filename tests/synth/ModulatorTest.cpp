// The AM and shift modulators: their phases, their slider outputs and the shift offsets.
#include <cmath>
#include <numbers>

#include "TickFixture.h"

namespace qv::test {
namespace {

TEST_F(TickTest, AmAtFullDepthPeaksAtQuarterTurn) {
    sc(12).set_value(50);  // base 50, depth 50, speed 0
    form.engine.amPhase = static_cast<float>(std::numbers::pi / 2);
    tick();
    EXPECT_EQ(sc(24).value(), 100);
    EXPECT_EQ(sc(25).value(), 0);
    EXPECT_EQ(tx(25).text(), "0");
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
}

// Each phase starts again at 0 on the tick that would take it above 9000, not at 9000.
TEST_F(TickTest, PhasesWrapOnlyWhenTheyExceed9000) {
    auto phases = [&] {
        const EngineState& e = form.engine;
        return std::vector<float>{e.amPhase, e.shiftPhase, e.switchTick};
    };
    sc(11).set_value(100);
    sc(16).set_value(100);
    form.engine.amPhase = form.engine.shiftPhase = form.engine.switchTick = 8999;
    tick();
    EXPECT_EQ(phases(), (std::vector<float>{9000, 9000, 9000}));
    tick();
    EXPECT_EQ(phases(), (std::vector<float>{0, 0, 0}));
    tick();
    EXPECT_EQ(phases(), (std::vector<float>{1, 1, 1}));
    // The stored 32-bit phase is compared: 8999.7 + 0.3 lands on exactly 9000 there.
    sc(11).set_value(30);
    form.engine.amPhase = 8999.7f;
    tick();
    EXPECT_EQ(form.engine.amPhase, 9000.0f);
}

TEST_F(TickTest, AnyCheckedOrGreyedBoxLeavesItsSliderToTheUser) {
    sc(12).set_value(50);
    sc(11).set_value(100);
    sc(16).set_value(100);
    sc(17).set_value(100);
    const int box_of[] = {2, 3, 0, 1};  // of sc(22) to sc(25)
    for (int k = 22; k < 26; ++k) {
        ck(box_of[k - 22]).set_value(k % 2 ? 1 : 2);
        sc(k).set_value(k - 11);
    }
    tick(5);
    for (int k = 22; k < 26; ++k) EXPECT_EQ(sc(k).value(), k - 11) << k;
    // The phases ran on meanwhile, so unchecking resumes at the current phase.
    EXPECT_EQ(form.engine.amPhase, 5.0f);
    ck(0).set_value(0);
    tick();
    EXPECT_EQ(sc(24).value(), std::nearbyint(50 + 50 * std::sin(6.0)));
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
