#include <sys/resource.h>

#include <algorithm>
#include <csignal>

#include "../timeline/FormFixture.h"

namespace qv {
namespace {

using testing::entry;

class SetupFileTest : public testing::FormFixture {
protected:
    void load_from_list(const std::string& name) {
        form.File1.refresh_list();
        const auto& names = form.File1.names();
        const auto it = std::find(names.begin(), names.end(), name);
        ASSERT_NE(it, names.end()) << name << " is not in the setup list";
        form.File1.double_click(static_cast<int>(it - names.begin()));
    }
    int black_markers() {
        return static_cast<int>(std::count_if(form.Picture1.ops().begin(),
                                              form.Picture1.ops().end(),
                                              [](const auto& op) { return op.color == 0; }));
    }
};

TEST_F(SetupFileTest, SaveWritesOneLinePerKeyWithCrLf) {
    key_at(12, 5);
    key_at(0, 9);
    form.Text1.set_text("two.qrv");
    form.save.click();
    const std::string bytes = read_file("two.qrv");
    ASSERT_EQ(bytes.size(), 246u);
    EXPECT_EQ(bytes, entry(0, 9) + "\r\n" + entry(12, 5) + "\r\n");
    EXPECT_EQ(form.File1.names(), (std::vector<std::string>{"two.qrv"}));  // shown at once

    form.time.set_value(0);
    form.delkey.click();
    form.time.set_value(12);
    form.delkey.click();
    form.Text1.set_text("empty");  // no extension: written as typed, not listed
    form.save.click();
    EXPECT_TRUE(exists("empty"));
    EXPECT_EQ(read_file("empty"), "");
    EXPECT_EQ(form.File1.names(), (std::vector<std::string>{"two.qrv"}));
    EXPECT_TRUE(reports.empty());
}

TEST_F(SetupFileTest, LoadingReplacesTheKeysAndAppliesThemAtThePlayTime) {
    write_file("a.qrv", entry(0, 10) + "\r\n" + entry(20, 30) + "\r\n");
    write_file("b.qrv", entry(5, 70) + "\r\n" + entry(9, 80));  // no final line end
    key_at(3, 1);
    form.nextkey.click();  // the play time is now 3 s
    form.time.set_value(44);

    load_from_list("a.qrv");
    EXPECT_EQ(form.List2.items(), (std::vector<std::string>{entry(0, 10), entry(20, 30)}));
    EXPECT_EQ(form.Text1.text(), "a.qrv");
    EXPECT_EQ(black_markers(), 2);  // the marker at 3 s was erased
    EXPECT_EQ(form.time.value(), 44);
    EXPECT_EQ(form.playtime, 3.0f);
    // No key at 3 s: the recorded segment (positions 0 and 1) now names a's two keys.
    EXPECT_EQ(text(30), "13");

    form.prevkey.click();  // to 0 s, a's first key
    EXPECT_EQ(text(30), "10");
    load_from_list("b.qrv");
    EXPECT_EQ(form.List2.items(), (std::vector<std::string>{entry(5, 70), entry(9, 80)}));
    EXPECT_EQ(black_markers(), 2);
    EXPECT_EQ(text(30), "57");  // the line from 5 s to 9 s extended back to 0 s
}

TEST_F(SetupFileTest, RoundTripKeepsEveryEntry) {
    form.panel.ck(3).set_value(1);
    for (int s : {0, 1, 300, 599, 600}) key_at(s, s % 101);
    const std::vector<std::string> saved = form.List2.items();
    form.Text1.set_text("trip.qrv");
    form.save.click();
    key_at(50, 50);
    load_from_list("trip.qrv");
    EXPECT_EQ(form.List2.items(), saved);
    EXPECT_EQ(black_markers(), 5);
}

TEST_F(SetupFileTest, AZeroByteFileEmptiesTheListAndStillChecksTheKeys) {
    write_file("none.qrv", "");
    key_at(0, 10);
    key_at(10, 90);
    form.stop.click();
    form.Text1.set_text("x");
    load_from_list("none.qrv");
    EXPECT_EQ(form.List2.list_count(), 0);
    EXPECT_EQ(black_markers(), 0);
    EXPECT_EQ(form.Text1.text(), "none.qrv");
}

TEST_F(SetupFileTest, AFileThatCannotBeReadLeavesEverythingAsItWas) {
    write_file("gone.qrv", entry(1, 1) + "\r\n");
    form.File1.refresh_list();
    std::filesystem::remove(dir.path() / "gone.qrv");
    key_at(4, 40);
    form.Text1.set_text("mine.qrv");
    const auto ops = form.Picture1.ops().size();

    form.File1.double_click(0);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("gone.qrv"), std::string::npos) << reports[0];
    EXPECT_NE(reports[0].find("No such file"), std::string::npos) << reports[0];
    EXPECT_EQ(form.List2.items(), (std::vector<std::string>{entry(4, 40)}));
    EXPECT_EQ(form.Picture1.ops().size(), ops);
    EXPECT_EQ(black_markers(), 1);
    EXPECT_EQ(form.Text1.text(), "mine.qrv");

    std::filesystem::create_directory(dir.path() / "folder.qrv");
    form.File1.set_list_index(-1);
    form.addtolist.click();  // nothing selected in the setup list: an empty entry
    form.List1.add_item("folder.qrv");
    form.List1.double_click(1);
    form.List1.double_click(0);
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_NE(reports[1].find("folder.qrv"), std::string::npos) << reports[1];
    EXPECT_NE(reports[1].find("directory"), std::string::npos) << reports[1];
    EXPECT_NE(reports[2].find("no file name"), std::string::npos) << reports[2];
    EXPECT_EQ(form.List2.items(), (std::vector<std::string>{entry(4, 40)}));
    EXPECT_EQ(form.Text1.text(), "mine.qrv");
}

TEST_F(SetupFileTest, LinesThatAreNotKeyframesAreSkippedAndReportedOnce) {
    std::string bad_switch = entry(7, 1);
    bad_switch.back() = '3';
    write_file("mixed.qrv", entry(2, 20) + "\r\n" +                         // 1
                                "hello\r\n" +                               // 2
                                entry(601, 1) + "\r\n" +                    // 3
                                bad_switch + "\r\n" +                       // 4
                                entry(8, 1).substr(0, 120) + "\r\n" +       // 5
                                "\r\n" +                                    // 6
                                entry(9, 1) + "," + entry(9, 2) + "\r\n" +  // 7: two good items
                                entry(3, 30) + ",x\r\n" +                   // 8
                                entry(4, 40) + "\r\n");                     // 9
    load_from_list("mixed.qrv");
    EXPECT_EQ(form.List2.items(),
              (std::vector<std::string>{entry(2, 20), entry(3, 30), entry(4, 40), entry(9, 1),
                                        entry(9, 2)}));
    EXPECT_EQ(black_markers(), 4);  // the two keys at 9 s share one marker
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("mixed.qrv"), std::string::npos) << reports[0];
    EXPECT_NE(reports[0].find("lines 2, 3, 4, 5, 6, 8."), std::string::npos) << reports[0];
}

TEST_F(SetupFileTest, AFailedSaveLeavesTheOldFileWhole) {
    key_at(1, 11);
    form.Text1.set_text("keep.qrv");
    form.save.click();
    const std::string old = read_file("keep.qrv");
    key_at(2, 22);
    key_at(3, 33);

    // A full disk: writes stop at 200 bytes while the new setup needs 369.
    struct rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    auto* old_handler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 200;
    setrlimit(RLIMIT_FSIZE, &small);
    form.save.click();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, old_handler);

    EXPECT_EQ(read_file("keep.qrv"), old);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("keep.qrv"), std::string::npos) << reports[0];
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1)
        << "the temporary file was left behind";

    form.Text1.set_text("no/such/folder.qrv");
    form.save.click();
    form.Text1.set_text("");
    form.save.click();
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_NE(reports[1].find("no/such/folder.qrv"), std::string::npos) << reports[1];
    EXPECT_NE(reports[2].find("no name"), std::string::npos) << reports[2];

    form.Text1.set_text("keep.qrv");
    form.save.click();  // and with room again the save replaces the file
    EXPECT_EQ(read_file("keep.qrv").size(), 3 * 123u);
}

}  // namespace
}  // namespace qv
