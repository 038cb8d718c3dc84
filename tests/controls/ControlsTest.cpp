#include "../timeline/FormFixture.h"

namespace qv {
namespace {

using Names = std::vector<std::string>;

// A slider refuses values outside its range and raises its event only on a real change,
// before set_value returns; a text box raises its event on every real change, and a
// write inside the handler runs nested; greyed is a value of a check box; a disabled
// button does not click.
TEST(Controls, ChangeEventsFireNestedOnRealChangesOnly) {
    ScrollBar bar(ScrollBar::Orientation::Vertical, 0, 50, 15);
    std::vector<int> seen;
    bar.on_change = [&] { seen.push_back(bar.value()); };
    // 15 is no change, and at the end a click is none either.
    EXPECT_TRUE(!bar.set_value(51) && !bar.set_value(-1) && bar.set_value(15) && bar.set_value(49));
    for (int direction : {+1, +1, -1}) bar.click(direction);
    EXPECT_EQ(seen, (std::vector<int>{49, 50, 49}));

    TextBox box("a");
    Names texts;
    box.on_change = [&] {
        texts.push_back(box.text());
        if (box.text().empty()) box.set_text("0");
    };
    for (const char* typed : {"a", ""}) box.set_text(typed);
    EXPECT_EQ(texts, (Names{"", "0"}));
    EXPECT_EQ(box.text(), "0");

    CheckBox check;
    EXPECT_TRUE(check.set_value(2) && !check.set_value(3) && !check.set_value(-1));
    EXPECT_EQ(check.value(), 2);
    Button button("Play");
    int clicks = 0;
    button.on_click = [&] { ++clicks; };
    for (bool enabled : {true, false}) {
        button.set_enabled(enabled);
        button.click();
    }
    EXPECT_EQ(clicks, 1);
}

TEST(ListBox, SortsByCharacterOrderReadsEmptyOutsideAndSelectionFollowsRemovals) {
    ListBox sorted(true);
    for (const char* s : {"012b", "005a", "600c", "010"}) sorted.add_item(s);
    EXPECT_EQ(sorted.items(), (Names{"005a", "010", "012b", "600c"}));
    EXPECT_EQ(sorted.list(-1) + sorted.list(4), "");

    ListBox list(false);
    for (const char* s : {"b", "a", "b"}) list.add_item(s);
    EXPECT_TRUE(list.set_list_index(2) && !list.set_list_index(7));
    std::vector<int> selected;
    for (int i : {0, 1}) {
        list.remove_item(i);
        selected.push_back(list.list_index());
    }
    EXPECT_EQ(selected, (std::vector<int>{1, -1}));
}

TEST(FileListBox, ListsMatchingFilesSortedOnlyOnRefreshAndKeepsTheSelectedName) {
    testing::TempDir dir;
    std::filesystem::create_directories(dir.path() / "sub.qrv");
    for (const char* name : {"b.qrv", "A.qrv", "c.ses", "noext", "x.QRV"})
        std::ofstream(dir.path() / name);
    FileListBox files("*.qrv", dir.path());
    files.refresh_list();
    EXPECT_EQ(files.names(), (Names{"A.qrv", "b.qrv", "x.QRV"}));
    files.set_list_index(1);
    std::ofstream(dir.path() / "a.qrv");
    EXPECT_EQ(files.list_count(), 3);
    files.refresh_list();
    EXPECT_EQ(files.names(), (Names{"A.qrv", "a.qrv", "b.qrv", "x.QRV"}));
    EXPECT_EQ(files.filename(), "b.qrv");
}

// Ties go in creation order. A timer's own tick may disable it and start another: the
// change counts at once. Setting the interval restarts the countdown; enabling an enabled
// timer does not.
TEST(VirtualClock, TicksInTimeOrderAndChangesCountFromNow) {
    VirtualClock clock;
    Timer fast(clock, true), slow(clock, true), once(clock, true), later(clock, false);
    std::string log;
    auto note = [&](char name) { log += name + std::to_string(clock.now_ms()) + " "; };
    for (auto [timer, name] : {std::pair{&fast, 'f'}, {&slow, 's'}, {&later, 'l'}})
        timer->on_tick = [&note, n = name] { note(n); };
    once.on_tick = [&] {
        note('o');
        later.set_interval(35);
        later.set_enabled(true);
        once.set_enabled(false);
    };
    fast.set_interval(25);
    slow.set_interval(100);
    once.set_interval(50);
    clock.advance_to(100);
    slow.set_enabled(false);
    later.set_enabled(false);
    clock.advance_to(120);
    fast.set_interval(30);  // due at 150 now, not at 125
    clock.advance_to(160);
    fast.set_enabled(true);  // already on: still due at 180
    clock.advance_to(185);
    fast.set_enabled(false);
    fast.set_enabled(true);  // from now: due at 215
    clock.advance_to(215);
    EXPECT_EQ(log, "f25 f50 o50 f75 l85 f100 s100 f150 f180 f215 ");
}

}  // namespace
}  // namespace qv
