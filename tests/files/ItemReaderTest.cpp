#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/ItemReader.h"

namespace qv {
namespace {

std::vector<std::string> texts(std::string_view bytes) {
    std::vector<std::string> out;
    for (const Item& item : read_items(bytes)) out.push_back(item.text);
    return out;
}

using Texts = std::vector<std::string>;

TEST(ItemReader, CommasAndLineEndsEndItems) {
    EXPECT_EQ(texts("a,b\r\nc\r\n"), (Texts{"a", "b", "c"}));
    EXPECT_EQ(texts("a,\r\n"), (Texts{"a", ""}));  // a line end right after a comma
    EXPECT_EQ(texts("a,"), (Texts{"a"}));          // the end of the file ends it all
}

TEST(ItemReader, QuotesHoldCommasAndAreDropped) {
    EXPECT_EQ(texts("\"x, y\",z\r\n"), (Texts{"x, y", "z"}));
    EXPECT_EQ(texts("\"a\"tail,b\r\n"), (Texts{"a", "b"}));
    // An unclosed quote ends with its line and cannot swallow the rest of the file.
    EXPECT_EQ(texts("\"abc\r\nd\r\n"), (Texts{"abc", "d"}));
    EXPECT_EQ(texts("a\"b\r\n"), (Texts{"a\"b"}));  // only a leading quote delimits
}

TEST(ItemReader, LeadingSpacesAreSkipped) {
    EXPECT_EQ(texts("   007\r\n  \"  q\" , r \r\n"), (Texts{"007", "  q", "r "}));
}

TEST(ItemReader, EmptyLinesAreEmptyItemsButNothingFollowsTheLastLineEnd) {
    EXPECT_EQ(texts("a\r\n\r\nb\r\n"), (Texts{"a", "", "b"}));
    EXPECT_EQ(texts("\r\n"), (Texts{""}));
    EXPECT_EQ(texts(""), (Texts{}));
}

TEST(ItemReader, LastLineWithoutLineEndReadsTheSame) {
    EXPECT_EQ(texts("a\r\nb"), texts("a\r\nb\r\n"));
}

TEST(ItemReader, BareLfAndCrAlsoEndLinesAndLinesAreCounted) {
    const std::vector<Item> items = read_items("a\nb\rc,d\r\n\ne");
    std::vector<std::pair<std::string, int>> got;
    for (const Item& item : items) got.emplace_back(item.text, item.line);
    EXPECT_EQ(got, (std::vector<std::pair<std::string, int>>{
                       {"a", 1}, {"b", 2}, {"c", 3}, {"d", 3}, {"", 4}, {"e", 5}}));
}

}  // namespace
}  // namespace qv
