#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "files/ItemReader.h"

namespace qv {
namespace {

using Items = std::vector<std::pair<std::string, int>>;  // text and line number

TEST(ItemReader, SplitsItemsByTheFileRules) {
    const std::string kBom = "\xEF\xBB\xBF";
    const std::vector<std::pair<std::string, Items>> cases = {
        {"a,b\r\nc\r\n", {{"a", 1}, {"b", 1}, {"c", 2}}},
        {"a,\r\n", {{"a", 1}, {"", 1}}},  // a line end right after a comma
        {"a,", {{"a", 1}}},               // the end of the file ends it all
        {"\"x, y\",z\r\n", {{"x, y", 1}, {"z", 1}}},
        {"\"a\"tail,b\r\n", {{"a", 1}, {"b", 1}}},
        // An unclosed quote ends with its line and cannot swallow the rest of the file.
        {"\"abc\r\nd\r\n", {{"abc", 1}, {"d", 2}}},
        {"a\"b\r\n", {{"a\"b", 1}}},  // only a leading quote delimits
        {"   007\r\n  \"  q\" , r \r\n", {{"007", 1}, {"  q", 2}, {"r ", 2}}},
        {"a\r\n\r\nb\r\n", {{"a", 1}, {"", 2}, {"b", 3}}},
        {"\r\n", {{"", 1}}},
        {"", {}},
        {"a\r\nb", {{"a", 1}, {"b", 2}}},  // no final line end reads the same
        {"a\nb\rc,d\r\n\ne", {{"a", 1}, {"b", 2}, {"c", 3}, {"d", 3}, {"", 4}, {"e", 5}}},
        // A byte-order mark is skipped at the start of the file only.
        {kBom + "a," + kBom + "b\r\n", {{"a", 1}, {kBom + "b", 1}}},
    };
    for (const auto& [bytes, want] : cases) {
        Items got;
        for (const Item& item : read_items(bytes)) got.emplace_back(item.text, item.line);
        EXPECT_EQ(got, want) << testing::PrintToString(bytes);
    }
}

}  // namespace
}  // namespace qv
