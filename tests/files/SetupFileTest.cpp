// Setup files: the items of a file, the keyframes read from them and written back.
#include <algorithm>

#include "../timeline/FormFixture.h"
#include "files/ItemReader.h"

namespace qv {
namespace {

using testing::entry;
using Names = std::vector<std::string>;

class SetupFileTest : public testing::FormFixture {
protected:
    void load_from_list(const std::string& name) {
        form.File1.refresh_list();
        const Names& names = form.File1.names();
        form.File1.double_click(int(std::find(names.begin(), names.end(), name) - names.begin()));
    }
    long black_markers() {
        const auto& ops = form.Picture1.ops();
        return std::count_if(ops.begin(), ops.end(), [](const auto& op) { return op.color == 0; });
    }
};

TEST_F(SetupFileTest, SavedKeysLoadBackAndNoKeysSaveAsAnEmptyFile) {
    form.panel.ck(Free::RightShift).set_value(1);
    for (int s : {600, 0, 300, 1, 599}) key_at(s, s % 101);
    const Names saved = form.List2.items();
    auto save_as = [&](const char* name) {
        form.Text1.set_text(name);
        form.save.click();
    };
    save_as("trip.qrv");
    std::string lines;
    for (const std::string& e : saved) lines += e + "\r\n";
    EXPECT_EQ(read_file("trip.qrv"), lines);

    key_at(50, 50);
    load_from_list("trip.qrv");
    EXPECT_EQ(form.List2.items(), saved);
    EXPECT_EQ(black_markers(), 5);

    write("empty.qrv", {});
    form.stop.click();
    load_from_list("empty.qrv");  // empties the list and still checks the keys
    EXPECT_EQ(std::tuple(form.List2.list_count(), black_markers(), form.Text1.text()),
              std::tuple(0, 0L, std::string("empty.qrv")));
    save_as("none.qrv");
    EXPECT_EQ(form.File1.names(), (Names{"empty.qrv", "none.qrv", "trip.qrv"}));  // at once
    EXPECT_EQ(read_file("none.qrv"), "");
    EXPECT_TRUE(reports.empty());
}

// No key at 3 s after loading: the recorded segment (positions 0 and 1) now names the
// loaded setup's two keys, and the marker at 3 s was erased.
TEST_F(SetupFileTest, LoadingReplacesTheKeysAndAppliesThemAtThePlayTime) {
    write("a.qrv", {entry(0, 10), entry(20, 30)});
    key_at(3, 1);
    form.nextkey.click();  // the play time is now 3 s
    form.time.set_value(44);
    load_from_list("a.qrv");
    EXPECT_EQ(form.List2.items(), (Names{entry(0, 10), entry(20, 30)}));
    EXPECT_EQ(black_markers(), 2);
    EXPECT_EQ(shown(), "44 '44' 3 13");
    form.prevkey.click();  // to 0 s, a's first key
    EXPECT_EQ(text(kPlain), "10");
}

// A byte-order mark does not cost the first key. Lines that are no keys are skipped and
// reported once, the first twenty of them by number; the list is filled once, in key order.
TEST_F(SetupFileTest, LinesThatAreNotKeyframesAreSkippedAndReportedOnceTheKeysFillTheList) {
    std::string bad_switch = entry(7, 1);
    bad_switch.back() = '3';
    Names lines = {"\xEF\xBB\xBF" + entry(2, 20),    // 1
                   "hello,again",                    // 2: reported once
                   entry(601, 1),                    // 3
                   bad_switch,                       // 4
                   entry(8, 1).substr(0, 120),       // 5
                   "",                               // 6
                   entry(9, 1) + "," + entry(9, 2),  // 7: two good items
                   entry(3, 30) + ",x"};             // 8
    Names keys = {entry(2, 20), entry(9, 1), entry(9, 2), entry(3, 30)};
    for (int i = 0; i < 3000; ++i) {  // from line 9 on, an "x" after every hundredth key
        keys.push_back(entry(i * 7 % 50, i % 11));
        lines.push_back(keys.back());
        if (i % 100 == 0) lines.push_back("x");
    }
    write("many.qrv", lines);
    int refreshes = 0;
    form.List2.on_refresh = [&] { ++refreshes; };
    load_from_list("many.qrv");
    std::stable_sort(keys.begin(), keys.end());
    EXPECT_EQ(form.List2.items(), keys);
    EXPECT_EQ(std::pair(refreshes, black_markers()), std::pair(1, 50L));
    std::string named = "2, 3, 4, 5, 6, 8";
    for (int line = 10; line <= 1323; line += 101) named += ", " + std::to_string(line);
    EXPECT_EQ(reports,
              Names{"The setup \"many.qrv\" has lines that are not keyframes; skipped lines " +
                    named + " and 16 more."});
}

using Items = std::vector<std::pair<std::string, int>>;  // text and line number

TEST(ItemReader, SplitsItemsByTheFileRules) {
    const std::string kBom = "\xEF\xBB\xBF";
    const std::vector<std::pair<std::string, Items>> cases = {
        // Only a leading quote delimits; no final line end reads the same.
        {"a\"b,c\r\nd", {{"a\"b", 1}, {"c", 1}, {"d", 2}}},
        {"a,\r\n", {{"a", 1}, {"", 1}}},  // a line end right after a comma
        {"a,", {{"a", 1}}},               // the end of the file ends it all
        {"\"x, y\"tail,z\r\n", {{"x, y", 1}, {"z", 1}}},
        // An unclosed quote ends with its line and cannot swallow the rest of the file.
        {"\"abc\r\nd\r\n", {{"abc", 1}, {"d", 2}}},
        {"   007\r\n  \"  q\" , r \r\n", {{"007", 1}, {"  q", 2}, {"r ", 2}}},
        {"\r\n", {{"", 1}}},
        {"", {}},
        {"a\nb\rc,d\r\n\ne", {{"a", 1}, {"b", 2}, {"c", 3}, {"d", 3}, {"", 4}, {"e", 5}}},
        // A byte-order mark is skipped at the start of the file only.
        {kBom + "a," + kBom + "b\r\n", {{"a", 1}, {kBom + "b", 1}}},
    };
    for (const auto& [bytes, want] : cases) {
        Items got;
        for (const Item& item : read_items(bytes)) got.emplace_back(item.text, item.line);
        EXPECT_EQ(got, want) << ::testing::PrintToString(bytes);
    }
}

}  // namespace
}  // namespace qv
