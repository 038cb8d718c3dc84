#include <gtest/gtest.h>

#include "params/Numbers.h"
#include "params/Panel.h"

namespace qv {
namespace {

TEST(Numbers, RoundingAndParsing) {
    using namespace numbers;
    EXPECT_EQ(round_half_even(2.5), 2);
    EXPECT_EQ(round_half_even(-2.5), -2);
    EXPECT_EQ(round_half_even(9001.5), 9002);
    EXPECT_EQ(round_half_away(2.5), 3);
    EXPECT_EQ(round_half_away(-2.5), -3);
    EXPECT_EQ(int_floor(-3.5), -4);
    EXPECT_EQ(parse_number(" +.5 ", '.'), 0.5);
    EXPECT_EQ(parse_number("1e2", '.'), 100.0);
    EXPECT_EQ(parse_number("2,5", ','), 2.5);
    for (const char* bad : {"2,5", "", "-", "4 2", "1e", "abc"})
        EXPECT_FALSE(parse_number(bad, '.')) << bad;
    EXPECT_EQ(text_to_value("-32768"), -32768);
    EXPECT_FALSE(text_to_value("32767.5"));  // rounds to 32768
}

// A text typed into tx(k) while its slider stands at `before`: where the slider ends and
// what the text then holds.
TEST(Coupling, TypedTextsMoveTheirSliderAndTheLoopStopsByItself) {
    struct Case {
        int k, before;
        const char* typed;
        int slider;
        const char* text;
    } cases[] = {
        {3, 0, "050", 50, "50"},    // the slider's change writes the plain form back
        {30, 0, " 42 ", 42, "42"},  // blanks around the number
        {9, 20, "30.5", 30, "30"},  // halves to even
        {9, 20, "31.5", 32, "32"},
        {26, 7, "150", 7, "150"},       // refused by the slider: both stay as they are
        {12, 10, "60", 10, "60"},       // depth stops at 50
        {9, 20, "99999", 20, "99999"},  // beyond 16 bits
        {30, 42, "abc", 42, "abc"},     // no number
        {36, 40, "", 0, "0"},           // emptied: "0", whose own event moves the slider
        {24, 100, "80", 100, "80"},     // ck(0) unchecked: the AM modulator owns sc(24)
    };
    for (const Case& c : cases) {
        Panel panel;
        ASSERT_TRUE(panel.bar(c.k).set_value(c.before));
        panel.tx(c.k).set_text(c.typed);
        EXPECT_EQ(panel.bar(c.k).value(), c.slider) << c.k << " '" << c.typed << "'";
        EXPECT_EQ(panel.tx(c.k).text(), c.text) << c.k << " '" << c.typed << "'";
    }
}

TEST(Coupling, SliderWritesItsTextAndModulatedSlidersFollowOnlyAtExactlyOne) {
    Panel panel;
    panel.hsc(36).set_value(7);
    EXPECT_EQ(panel.tx(36).text(), "7");
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

}  // namespace
}  // namespace qv
