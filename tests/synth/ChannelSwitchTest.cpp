// Channel switching: which ear is silenced on which tick.
#include <algorithm>

#include "TickFixture.h"

namespace qv::test {
namespace {

class SwitchTest : public TickTest {
protected:
    void SetUp() override {
        TickTest::SetUp();
        sc(0).set_value(100);  // one partial per ear, so an ear that is on moves its bytes
        sc(4).set_value(100);
    }
    static bool silent(const SampleArray& bytes) {
        return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 127; });
    }
    bool left_off() { return silent(written(0)); }
    bool right_off() { return silent(written(1)); }
};

TEST_F(SwitchTest, WithoutSpeedOrOffsetAnEarIsOffExactlyBelow50) {
    hsc(34).set_value(49);
    hsc(35).set_value(50);
    tick();
    EXPECT_TRUE(left_off());
    EXPECT_FALSE(right_off());
    // The silent ear's views are flat at the middle too.
    for (int i = 0; i < 180; ++i) {
        ASSERT_EQ(plotted(form.WF1PB, i), 0.0f);
        ASSERT_EQ(plotted(form.WF3PB, i), 0.0f);
    }

    hsc(34).set_value(50);
    hsc(35).set_value(0);
    tick();
    EXPECT_FALSE(left_off());
    EXPECT_TRUE(right_off());
}

TEST_F(SwitchTest, FullOnTimeIsNeverOff) {
    hsc(37).set_value(100);
    hsc(36).set_value(77);
    for (int n = 0; n < 20; ++n) {
        tick();
        ASSERT_FALSE(left_off());
        ASSERT_FALSE(right_off());
    }
}

TEST_F(SwitchTest, SpeedTurnsTheEarOffWhileTheSineLiesAboveTheThreshold) {
    hsc(34).set_value(50);
    hsc(37).set_value(100);  // one radian per tick: off while sin(tick) > 0
    const bool off[] = {true, true, true, false, false, false, true, true, true, false};
    for (bool want : off) {
        tick();
        EXPECT_EQ(left_off(), want) << "switchTick " << form.engine.switchTick;
        EXPECT_FALSE(right_off());
    }
}

TEST_F(SwitchTest, OffsetMovesTheLeftPhaseForwardAndTheRightBack) {
    hsc(34).set_value(50);
    hsc(35).set_value(50);
    hsc(36).set_value(30);  // +0.5 and -0.5 radians
    tick();
    EXPECT_TRUE(left_off());
    EXPECT_FALSE(right_off());
}

TEST_F(SwitchTest, SwitchTickCountsEveryTickAndWrapsAbove9000) {
    tick(3);
    EXPECT_EQ(form.engine.switchTick, 3.0f);
    form.engine.switchTick = 8999;
    tick();
    EXPECT_EQ(form.engine.switchTick, 9000.0f);
    tick();
    EXPECT_EQ(form.engine.switchTick, 0.0f);
}

}  // namespace
}  // namespace qv::test
