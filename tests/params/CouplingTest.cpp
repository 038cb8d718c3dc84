#include <gtest/gtest.h>

#include "params/Panel.h"

namespace qv {
namespace {

TEST(Coupling, SliderWritesItsPlainValueIntoTheTextAtOnce) {
    Panel panel;
    panel.sc(5).set_value(42);
    EXPECT_EQ(panel.tx(5).text(), "42");
    panel.hsc(36).set_value(7);
    EXPECT_EQ(panel.tx(36).text(), "7");
}

TEST(Coupling, TextMovesItsSliderAndTheLoopEndsInThePlainForm) {
    Panel panel;
    panel.tx(3).set_text("050");  // sc(3) stands at 0: the slider's change rewrites the text
    EXPECT_EQ(panel.sc(3).value(), 50);
    EXPECT_EQ(panel.tx(3).text(), "50");
    panel.tx(30).set_text(" 42 ");
    EXPECT_EQ(panel.hsc(30).value(), 42);
    EXPECT_EQ(panel.tx(30).text(), "42");
    panel.tx(12).set_text("37");
    EXPECT_EQ(panel.sc(12).value(), 37);
    EXPECT_EQ(panel.tx(12).text(), "37");
}

TEST(Coupling, TextsTheSliderRefusesStayAsTyped) {
    Panel panel;
    panel.tx(26).set_text("150");
    EXPECT_EQ(panel.hsc(26).value(), 0);
    EXPECT_EQ(panel.tx(26).text(), "150");
    panel.tx(30).set_text("42");
    panel.tx(30).set_text("abc");
    EXPECT_EQ(panel.hsc(30).value(), 42);
    EXPECT_EQ(panel.tx(30).text(), "abc");
    panel.tx(12).set_text("60");  // depth stops at 50
    EXPECT_EQ(panel.sc(12).value(), 0);
    panel.tx(9).set_text("-5");
    EXPECT_EQ(panel.sc(9).value(), 20);
    panel.tx(9).set_text("99999");  // outside 16 bits: no number at all
    EXPECT_EQ(panel.sc(9).value(), 20);
}

TEST(Coupling, AnEmptiedTextBecomesZeroAndMovesTheSlider) {
    Panel panel;
    panel.hsc(36).set_value(40);
    panel.tx(36).set_text("");
    EXPECT_EQ(panel.tx(36).text(), "0");
    EXPECT_EQ(panel.hsc(36).value(), 0);
}

TEST(Coupling, NumbersRoundHalvesToEven) {
    Panel panel;
    panel.tx(9).set_text("30.5");
    EXPECT_EQ(panel.sc(9).value(), 30);
    panel.tx(9).set_text("31.5");
    EXPECT_EQ(panel.sc(9).value(), 32);
}

TEST(Coupling, ModulatedSlidersFollowOnlyWhileTheirSwitchIsExactlyOne) {
    Panel panel;
    panel.tx(24).set_text("80");  // ck(0) unchecked: the modulator owns sc(24)
    EXPECT_EQ(panel.sc(24).value(), 100);
    EXPECT_EQ(panel.tx(24).text(), "80");
    panel.ck(0).set_value(1);
    panel.tx(24).set_text("70");
    EXPECT_EQ(panel.sc(24).value(), 70);

    panel.ck(2).set_value(2);  // greyed is not checked for the coupling
    panel.tx(22).set_text("10");
    EXPECT_EQ(panel.sc(22).value(), 50);
    panel.ck(3).set_value(1);
    panel.tx(23).set_text("10");
    EXPECT_EQ(panel.sc(23).value(), 10);
    panel.ck(1).set_value(1);
    panel.tx(25).set_text("5");
    EXPECT_EQ(panel.sc(25).value(), 5);
}

TEST(Panel, StartsWithTheDesignValuesAndTexts) {
    Panel panel;
    EXPECT_EQ(panel.sc(8).value(), 15);
    EXPECT_EQ(panel.sc(8).max(), 50);
    EXPECT_FALSE(panel.sc(8).visible());
    EXPECT_FALSE(panel.tx(8).visible());
    EXPECT_EQ(panel.sc(14).max(), 20);
    EXPECT_EQ(panel.sc(24).value(), 100);
    EXPECT_EQ(panel.hsc(34).value(), 100);
    EXPECT_EQ(panel.tx(0).text(), "");
    EXPECT_EQ(panel.tx(25).text(), "");
    EXPECT_EQ(panel.tx(26).text(), "0");
    EXPECT_EQ(panel.tx(35).text(), "100");
    EXPECT_EQ(panel.Lbl(15).caption, "   DiffSync");
    EXPECT_EQ(panel.tx(37).tooltip, "  Speed of switching (Use same value with am speed to get sync)   ");
}

}  // namespace
}  // namespace qv
