#include <gtest/gtest.h>

#include "cli/Arguments.h"

namespace qv::cli {
namespace {

// What a person may write for a length of time, and what a typo or a script's accident
// looks like: only digits, one point, and [h:]mm:ss with two-digit fields below 60.
TEST(Arguments, DurationsAreReadAsPeopleWriteThem) {
    for (auto [text, seconds] : {std::pair{"90", 90.0},
                                 {"2.5", 2.5},
                                 {".5", 0.5},
                                 {"1:30", 90.0},
                                 {"1:02:03.5", 3723.5},
                                 {"0:00.25", 0.25}})
        EXPECT_EQ(parse_duration(text), seconds) << text;
    for (const char* text : {"1:5", "1:60", "1:2:03", "1.5:00", "1:00:00:00", "-0", "1e3", "0x10",
                             " 5", "5 ", "", "1..5", "inf", "nan", ":30"})
        EXPECT_EQ(parse_duration(text), std::nullopt) << text;
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
