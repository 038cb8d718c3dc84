// Channel switching: which ear is silenced on which tick.
#include "TickFixture.h"

namespace qv::test {
namespace {

class SwitchTest : public TickTest {
protected:
    SwitchTest() {
        sc(0).set_value(100);  // one partial per ear, so an ear that is on moves its bytes
        sc(4).set_value(100);
    }
    // "L" or "R" for each ear that is off after the next tick.
    std::string off_after_tick() {
        tick();
        return std::string(form.engine.leftBytes == filled(127) ? "L" : "") +
               (form.engine.rightBytes == filled(127) ? "R" : "");
    }
};

TEST_F(SwitchTest, WithoutSpeedOrOffsetAnEarIsOffExactlyBelow50) {
    hsc(34).set_value(49);
    hsc(35).set_value(50);
    EXPECT_EQ(off_after_tick(), "L");
    for (int i = 0; i < 180; ++i) {  // the silent ear's views are flat at the middle too
        ASSERT_EQ(plotted(form.WF1PB, i), 0.0f);
        ASSERT_EQ(plotted(form.WF3PB, i), 0.0f);
    }
    hsc(34).set_value(50);
    hsc(35).set_value(0);
    EXPECT_EQ(off_after_tick(), "R");
}

TEST_F(SwitchTest, SpeedAndOffsetMoveTheSwitchingSines) {
    hsc(37).set_value(100);  // one radian per tick; full on time is never off
    hsc(36).set_value(77);
    std::string off;
    for (int n = 0; n < 10; ++n) off += off_after_tick() + ",";
    EXPECT_EQ(off, ",,,,,,,,,,");
    hsc(36).set_value(0);
    hsc(34).set_value(50);  // the left ear off while sin(switchTick) > 0
    form.engine.switchTick = 0;
    off.clear();
    for (int n = 0; n < 10; ++n) off += off_after_tick() + ",";
    EXPECT_EQ(off, "L,L,L,,,,L,L,L,,");

    hsc(37).set_value(0);
    hsc(35).set_value(50);
    hsc(36).set_value(30);  // +0.5 radians for the left ear, -0.5 for the right
    EXPECT_EQ(off_after_tick(), "L");
}

}  // namespace
}  // namespace qv::test
