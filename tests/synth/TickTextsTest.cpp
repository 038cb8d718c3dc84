// The value texts the tick writes, and the coupling that runs inside those writes.
#include "TickFixture.h"

namespace qv::test {
namespace {

TEST_F(TickTest, EveryTickWritesTheValueTextsFromTheSliders) {
    sc(5).set_value(42);
    tx(5).set_text("abc");
    tx(12).set_text("60");  // refused by the slider: replaced on the next tick
    tick();
    for (int k = 0; k <= 23; ++k) EXPECT_EQ(tx(k).text(), std::to_string(sc(k).value())) << k;
    EXPECT_EQ(tx(5).text(), "42");
    EXPECT_EQ(tx(8).text(), "15");
    // The AM outputs drop from 100 to the base 50; their own change events write the texts.
    EXPECT_EQ(tx(24).text(), "50");
    EXPECT_EQ(tx(25).text(), "50");
}

// The tick writes tx(22) while ck(2) is exactly 1: the coupling carries that text back
// into sc(22), so a text typed there is not lost but becomes the slider value.
TEST_F(TickTest, AFreeShiftSliderFollowsItsTypedTextThroughTheTick) {
    ck(2).set_value(1);
    tx(22).set_text("30");
    sc(17).set_value(100);
    sc(16).set_value(100);
    tick(3);
    EXPECT_EQ(sc(22).value(), 30);
    EXPECT_EQ(tx(22).text(), "30");
    EXPECT_NE(sc(23).value(), 50);  // its neighbour still follows the modulator
}

}  // namespace
}  // namespace qv::test
