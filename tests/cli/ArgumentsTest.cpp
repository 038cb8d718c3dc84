#include <gtest/gtest.h>

#include "cli/Arguments.h"

namespace qv::cli {
namespace {

// What a person may write for a length of time, and what a typo or a script's accident
// looks like: only digits, one point, and [h:]mm:ss with two-digit fields below 60.
TEST(Arguments, DurationsAreReadAsPeopleWriteThem) {
    const std::pair<const char*, std::optional<double>> cases[] = {{"90", 90},
                                                                   {"2.5", 2.5},
                                                                   {".5", 0.5},
                                                                   {"1:30", 90},
                                                                   {"1:02:03.5", 3723.5},
                                                                   {"0:00.25", 0.25},
                                                                   {"1:5", std::nullopt},
                                                                   {"1:60", std::nullopt},
                                                                   {"1:2:03", std::nullopt},
                                                                   {"1.5:00", std::nullopt},
                                                                   {"1:00:00:00", std::nullopt},
                                                                   {"-0", std::nullopt},
                                                                   {"1e3", std::nullopt},
                                                                   {"0x10", std::nullopt},
                                                                   {" 5", std::nullopt},
                                                                   {"5 ", std::nullopt},
                                                                   {"", std::nullopt},
                                                                   {"1..5", std::nullopt},
                                                                   {"inf", std::nullopt},
                                                                   {"nan", std::nullopt},
                                                                   {":30", std::nullopt}};
    for (auto [text, seconds] : cases) EXPECT_EQ(parse_duration(text), seconds) << text;

    NumberOption rate{"--rate", "44100.5", 8000, 384000, NumberOption::Whole, "Hz"};
    EXPECT_FALSE(rate.value());
    EXPECT_EQ(rate.refusal(), "--rate must be a whole number of Hz between 8000 and 384000");
    for (auto [text, ok] :
         {std::pair{"0.001", true}, {"24:00:00", true}, {"24:00:01", false}, {"0.0009", false}}) {
        NumberOption duration{"--duration", text, 0.001, 86400, NumberOption::Duration};
        EXPECT_EQ(duration.value().has_value(), ok) << text;
    }
}

// Names from files reach a terminal without setting its title or clearing its screen.
TEST(Arguments, ControlCharactersAndBrokenUtf8AreShownEscaped) {
    const std::pair<const char*, const char*> cases[] = {
        {"\x1b]0;title\a.qrv", "\\033]0;title\\a.qrv"},
        {"\x1b[2J", "\\033[2J"},
        {"tab\there\r\n", "tab\\there\\r\\n"},
        {"\x7f\x01", "\\x7f\\x01"},
        {"\x9b"
         "2J",
         "\\x9b2J"},  // a lone byte some terminals take for CSI
        {"\xc2\x9b"
         "2J",
         "\\u009b2J"},  // the same as a UTF-8 character
        {"\xc3\xa9t\xc3\xa9 \xe2\x99\xaa", "\xc3\xa9t\xc3\xa9 \xe2\x99\xaa"},  // été ♪ stay
        {"\xe0\x80\xaf", "\\xe0\\x80\\xaf"},                                   // an overlong form
        {"\xed\xa0\x80", "\\xed\\xa0\\x80"},                                   // a surrogate
        {"end\xc3", "end\\xc3"}};
    for (auto [text, shown] : cases) EXPECT_EQ(printable(text), shown) << text;
}

}  // namespace
}  // namespace qv::cli
