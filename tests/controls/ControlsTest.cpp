#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "controls/Button.h"
#include "controls/CheckBox.h"
#include "controls/FileListBox.h"
#include "controls/ListBox.h"
#include "controls/PictureBox.h"
#include "controls/ScrollBar.h"
#include "controls/TextBox.h"

namespace qv {
namespace {

TEST(ScrollBar, RefusesValuesOutsideItsRangeAndKeepsTheOldOne) {
    ScrollBar bar(ScrollBar::Orientation::Vertical, 0, 50, 15);
    int events = 0;
    bar.on_change = [&] { ++events; };
    EXPECT_FALSE(bar.set_value(60));
    EXPECT_FALSE(bar.set_value(-1));
    EXPECT_EQ(bar.value(), 15);
    EXPECT_TRUE(bar.set_value(50));
    EXPECT_TRUE(bar.set_value(0));
    EXPECT_EQ(events, 2);
}

TEST(ScrollBar, FiresOnlyOnARealChangeNestedInsideTheWrite) {
    ScrollBar bar(ScrollBar::Orientation::Horizontal, 0, 100, 0);
    std::vector<int> seen;
    bool inside = false;
    bar.on_change = [&] {
        EXPECT_TRUE(inside);  // runs before set_value returns
        seen.push_back(bar.value());
    };
    inside = true;
    bar.set_value(42);
    bar.set_value(42);
    inside = false;
    EXPECT_EQ(seen, std::vector<int>{42});
}

TEST(ScrollBar, ClicksMoveByOneAndStopAtTheEnds) {
    ScrollBar bar(ScrollBar::Orientation::Horizontal, 0, 600, 599);
    bar.click(+1);
    bar.click(+1);
    EXPECT_EQ(bar.value(), 600);
    bar.click(-1);
    EXPECT_EQ(bar.value(), 599);
}

TEST(TextBox, EveryRealChangeFiresAndNestedWritesRunInside) {
    TextBox box("a");
    std::vector<std::string> seen;
    box.on_change = [&] {
        seen.push_back(box.text());
        if (box.text().empty()) box.set_text("0");  // nested: runs before the outer returns
    };
    box.set_text("a");
    box.set_text("");
    EXPECT_EQ(seen, (std::vector<std::string>{"", "0"}));
    EXPECT_EQ(box.text(), "0");
}

TEST(CheckBox, TakesZeroOneAndGreyedOnly) {
    CheckBox box;
    EXPECT_TRUE(box.set_value(2));
    EXPECT_FALSE(box.set_value(3));
    EXPECT_FALSE(box.set_value(-1));
    EXPECT_EQ(box.value(), 2);
}

TEST(ListBox, SortedListPlacesByCharacterOrderAndReadsEmptyOutside) {
    ListBox list(true);
    list.add_item("012b");
    list.add_item("005a");
    list.add_item("600c");
    list.add_item("010");
    EXPECT_EQ(list.items(), (std::vector<std::string>{"005a", "010", "012b", "600c"}));
    EXPECT_EQ(list.list(-1), "");
    EXPECT_EQ(list.list(4), "");
    EXPECT_EQ(list.list(1), "010");
}

TEST(ListBox, UnsortedListKeepsOrderAndSelectionFollowsRemovals) {
    ListBox list(false);
    for (const char* s : {"b", "a", "b", ""}) list.add_item(s);
    EXPECT_EQ(list.items(), (std::vector<std::string>{"b", "a", "b", ""}));
    EXPECT_TRUE(list.set_list_index(2));
    list.remove_item(0);
    EXPECT_EQ(list.list_index(), 1);
    list.remove_item(1);
    EXPECT_EQ(list.list_index(), -1);
    EXPECT_FALSE(list.set_list_index(7));
    int clicks = 0;
    list.on_dbl_click = [&] { ++clicks; };
    list.double_click(0);
    EXPECT_EQ(list.list_index(), 0);
    EXPECT_EQ(clicks, 1);
}

TEST(FileListBox, ListsMatchingFilesSortedAndOnlyOnRefresh) {
    auto dir = std::filesystem::temp_directory_path() / "qv_filelist_test";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "sub.qrv");
    for (const char* name : {"b.qrv", "A.qrv", "c.ses", "noext", "x.QRV"}) std::ofstream(dir / name) << "";
    FileListBox files("*.qrv", dir);
    EXPECT_EQ(files.list_count(), 0);
    files.refresh_list();
    EXPECT_EQ(files.names(), (std::vector<std::string>{"A.qrv", "b.qrv", "x.QRV"}));
    EXPECT_EQ(files.filename(), "");
    files.set_list_index(1);
    EXPECT_EQ(files.filename(), "b.qrv");
    std::ofstream(dir / "a.qrv") << "";
    EXPECT_EQ(files.list_count(), 3);
    files.refresh_list();
    EXPECT_EQ(files.list_count(), 4);
    EXPECT_EQ(files.filename(), "b.qrv");  // the selection stays on its name
    std::filesystem::remove_all(dir);
}

TEST(Button, ClickReachesTheHandlerOnlyWhileEnabled) {
    Button button("Play");
    int clicks = 0;
    button.on_click = [&] { ++clicks; };
    button.click();
    button.set_enabled(false);
    button.click();
    EXPECT_EQ(clicks, 1);
}

TEST(PictureBox, RedrawingALineReplacesItAndClearEmpties) {
    PictureBox strip(8655, 135);
    strip.line(20, 0, 20, 200, 0);
    strip.line(162.3f, 0, 162.3f, 200, 0);
    strip.line(20, 0, 20, 200, 0xFFFFFF);
    ASSERT_EQ(strip.ops().size(), 2u);
    EXPECT_EQ(strip.ops().back().color, 0xFFFFFF);
    strip.pset(3, 4, 65280);
    EXPECT_EQ(strip.ops().size(), 3u);
    strip.cls();
    EXPECT_TRUE(strip.ops().empty());
}

}  // namespace
}  // namespace qv
