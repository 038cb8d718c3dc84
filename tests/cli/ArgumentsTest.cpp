#include <gtest/gtest.h>

#include "cli/Arguments.h"

namespace qv::cli {
namespace {

// What a person may write for a length of time, and what a typo or a script's accident
// looks like: only digits, one point, and [h:]mm:ss with two-digit fields below 60.
TEST(Arguments, DurationsAreReadAsPeopleWriteThem) {
    const std::pair<const char*, double> good[] = {
        {"90", 90},   {"2.5", 2.5},          {".5", 0.5},
        {"1:30", 90}, {"1:02:03.5", 3723.5}, {"0:00.25", 0.25}};
    for (auto [text, seconds] : good) EXPECT_EQ(parse_duration(text), seconds) << text;
    for (const char* text : {"1:5", "1:60", "1:2:03", "1.5:00", "1:00:00:00", "-0", "1e3", "0x10",
                             " 5", "5 ", "", "1..5", "inf", "nan", ":30"})
        EXPECT_EQ(parse_duration(text), std::nullopt) << text;
}

// Names from files reach a terminal without setting its title or clearing its screen.
TEST(Arguments, ControlCharactersAndBrokenUtf8AreShownEscaped) {
    const std::pair<const char*, const char*> cases[] = {
        {"\x1b]0;title\a.qrv\x1b[2J", "\\033]0;title\\a.qrv\\033[2J"},
        {"tab\there\r\n\x7f\x01", "tab\\there\\r\\n\\x7f\\x01"},
        {"\2332J", "\\x9b2J"},        // a lone byte 0x9b, which some terminals take for CSI
        {"\xc2\2332J", "\\u009b2J"},  // the same as a UTF-8 character
        {"\xc3\xa9t\xc3\xa9 \xe2\x99\xaa", "\xc3\xa9t\xc3\xa9 \xe2\x99\xaa"},  // été ♪ stay
        // An overlong form, a surrogate and a character cut short by the end.
        {"\xe0\x80\xaf\xed\xa0\x80 end\xc3", "\\xe0\\x80\\xaf\\xed\\xa0\\x80 end\\xc3"}};
    for (auto [text, shown] : cases) EXPECT_EQ(printable(text), shown) << text;
}

}  // namespace
}  // namespace qv::cli
