#include <gtest/gtest.h>

#include <clocale>

#include "params/Numbers.h"

namespace qv::numbers {
namespace {

TEST(Numbers, RoundingRules) {
    EXPECT_EQ(round_half_even(2.5), 2);
    EXPECT_EQ(round_half_even(3.5), 4);
    EXPECT_EQ(round_half_even(-2.5), -2);
    EXPECT_EQ(round_half_even(9000.5), 9000);
    EXPECT_EQ(round_half_even(9001.5), 9002);
    EXPECT_EQ(round_half_even(2.4999), 2);
    EXPECT_EQ(round_half_away(2.5), 3);
    EXPECT_EQ(round_half_away(-2.5), -3);
    EXPECT_EQ(int_floor(-3.5), -4);
    EXPECT_EQ(int_floor(29.999999), 29);
}

TEST(Numbers, ParseAcceptsBlanksSignsAndTheSeparatorOnly) {
    EXPECT_EQ(parse_number("  42 ", '.'), 42.0);
    EXPECT_EQ(parse_number("-4", '.'), -4.0);
    EXPECT_EQ(parse_number("+.5", '.'), 0.5);
    EXPECT_EQ(parse_number("1e2", '.'), 100.0);
    EXPECT_EQ(parse_number("2,5", ','), 2.5);
    EXPECT_FALSE(parse_number("2,5", '.'));
    EXPECT_FALSE(parse_number("", '.'));
    EXPECT_FALSE(parse_number("-", '.'));
    EXPECT_FALSE(parse_number("4 2", '.'));
    EXPECT_FALSE(parse_number("abc", '.'));
    EXPECT_FALSE(parse_number("1e", '.'));
}

TEST(Numbers, TextToValueStaysInSixteenBits) {
    EXPECT_EQ(text_to_value("32767"), 32767);
    EXPECT_FALSE(text_to_value("32767.5"));
    EXPECT_EQ(text_to_value("-32768"), -32768);
    EXPECT_FALSE(text_to_value("1e9"));
}

TEST(Numbers, Formats) {
    EXPECT_EQ(value_to_text(50), "50");
    EXPECT_EQ(value_to_text(-40), "-40");
    EXPECT_EQ(format_000(7), "007");
    EXPECT_EQ(format_000(600), "600");
    EXPECT_EQ(format_000(0), "000");
}

}  // namespace
}  // namespace qv::numbers
