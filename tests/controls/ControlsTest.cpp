#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "controls/Button.h"
#include "controls/CheckBox.h"
#include "controls/FileListBox.h"
#include "controls/ListBox.h"
#include "controls/ScrollBar.h"
#include "controls/TextBox.h"
#include "controls/Timer.h"
#include "controls/VirtualClock.h"

namespace qv {
namespace {

TEST(ScrollBar, RefusesOutOfRangeFiresNestedOnRealChangesAndClicksByOne) {
    ScrollBar bar(ScrollBar::Orientation::Vertical, 0, 50, 15);
    std::vector<int> seen;
    bar.on_change = [&] { seen.push_back(bar.value()); };  // before set_value returns
    EXPECT_FALSE(bar.set_value(51));
    EXPECT_FALSE(bar.set_value(-1));
    EXPECT_TRUE(bar.set_value(15));
    EXPECT_EQ(seen, std::vector<int>{});
    EXPECT_TRUE(bar.set_value(49));
    EXPECT_EQ(seen, std::vector<int>{49});
    bar.click(+1);
    bar.click(+1);  // already at the end: no event
    bar.click(-1);
    EXPECT_EQ(seen, (std::vector<int>{49, 50, 49}));
}

TEST(TextBox, EveryRealChangeFiresAndNestedWritesRunInside) {
    TextBox box("a");
    std::vector<std::string> seen;
    box.on_change = [&] {
        seen.push_back(box.text());
        if (box.text().empty()) box.set_text("0");
    };
    box.set_text("a");
    box.set_text("");
    EXPECT_EQ(seen, (std::vector<std::string>{"", "0"}));
    EXPECT_EQ(box.text(), "0");
}

TEST(CheckBoxAndButton, GreyedIsAValueAndDisabledButtonsDoNotClick) {
    CheckBox box;
    EXPECT_TRUE(box.set_value(2));
    EXPECT_FALSE(box.set_value(3));
    EXPECT_FALSE(box.set_value(-1));
    EXPECT_EQ(box.value(), 2);
    Button button("Play");
    int clicks = 0;
    button.on_click = [&] { ++clicks; };
    button.click();
    button.set_enabled(false);
    button.click();
    EXPECT_EQ(clicks, 1);
}

TEST(ListBox, SortsByCharacterOrderReadsEmptyOutsideAndSelectionFollowsRemovals) {
    ListBox sorted(true);
    for (const char* s : {"012b", "005a", "600c", "010"}) sorted.add_item(s);
    EXPECT_EQ(sorted.items(), (std::vector<std::string>{"005a", "010", "012b", "600c"}));
    EXPECT_EQ(sorted.list(-1), "");
    EXPECT_EQ(sorted.list(4), "");

    ListBox list(false);
    for (const char* s : {"b", "a", "b"}) list.add_item(s);
    EXPECT_EQ(list.items(), (std::vector<std::string>{"b", "a", "b"}));
    EXPECT_TRUE(list.set_list_index(2));
    EXPECT_FALSE(list.set_list_index(7));
    list.remove_item(0);
    EXPECT_EQ(list.list_index(), 1);
    list.remove_item(1);
    EXPECT_EQ(list.list_index(), -1);
}

TEST(FileListBox, ListsMatchingFilesSortedOnlyOnRefreshAndKeepsTheSelectedName) {
    auto dir = std::filesystem::temp_directory_path() / "qv_filelist_test";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "sub.qrv");
    for (const char* name : {"b.qrv", "A.qrv", "c.ses", "noext", "x.QRV"})
        std::ofstream(dir / name);
    FileListBox files("*.qrv", dir);
    EXPECT_EQ(files.list_count(), 0);
    files.refresh_list();
    EXPECT_EQ(files.names(), (std::vector<std::string>{"A.qrv", "b.qrv", "x.QRV"}));
    files.set_list_index(1);
    EXPECT_EQ(files.filename(), "b.qrv");
    std::ofstream(dir / "a.qrv");
    EXPECT_EQ(files.list_count(), 3);
    files.refresh_list();
    EXPECT_EQ(files.list_count(), 4);
    EXPECT_EQ(files.filename(), "b.qrv");
    std::filesystem::remove_all(dir);
}

TEST(VirtualClock, TicksInTimeOrderTiesInCreationOrderAndIntervalRestartsTheCountdown) {
    VirtualClock clock;
    Timer fast(clock, true), slow(clock, true);
    std::string log;
    fast.on_tick = [&] { log += "f" + std::to_string(clock.now_ms()) + " "; };
    slow.on_tick = [&] { log += "s" + std::to_string(clock.now_ms()) + " "; };
    fast.set_interval(25);
    slow.set_interval(100);
    clock.advance_to(100);
    EXPECT_EQ(log, "f25 f50 f75 f100 s100 ");

    log.clear();
    slow.set_enabled(false);
    clock.advance_to(120);
    fast.set_interval(30);  // due at 150 now, not at 125
    clock.advance_to(160);
    fast.set_enabled(true);  // already on: still due at 180
    clock.advance_to(185);
    fast.set_enabled(false);
    fast.set_enabled(true);  // from now: due at 215
    clock.advance_to(215);
    EXPECT_EQ(log, "f150 f180 f215 ");
}

TEST(VirtualClock, AHandlerIsNeverReenteredAndItsTimerChangesCount) {
    VirtualClock clock;
    Timer a(clock, true), b(clock, false);
    int depth = 0, max_depth = 0, b_ticks = 0;
    a.on_tick = [&] {
        max_depth = std::max(max_depth, ++depth);
        b.set_interval(10);
        b.set_enabled(true);
        a.set_enabled(false);
        --depth;
    };
    b.on_tick = [&] { ++b_ticks; };
    a.set_interval(100);
    clock.advance_to(135);
    EXPECT_EQ(max_depth, 1);
    EXPECT_EQ(b_ticks, 3);  // 110, 120, 130
}

}  // namespace
}  // namespace qv
