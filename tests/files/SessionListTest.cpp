#include "../timeline/FormFixture.h"

namespace qv {
namespace {

using testing::entry;
using Names = std::vector<std::string>;

class SessionListTest : public testing::FormFixture {
protected:
    void SetUp() override {
        write_file("a.qrv", entry(0, 10) + "\r\n");
        write_file("b.qrv", entry(0, 20) + "\r\n");
        form.File1.refresh_list();
    }
    void add(int setup_index) {
        form.File1.set_list_index(setup_index);
        form.addtolist.click();
    }
};

TEST_F(SessionListTest, AddDeleteAndClearFollowTheirRules) {
    form.addtolist.click();  // nothing selected: an empty entry
    add(1);
    add(0);
    add(0);  // duplicates are allowed
    EXPECT_EQ(form.List1.items(), (Names{"", "b.qrv", "a.qrv", "a.qrv"}));

    form.List1.set_list_index(-1);
    form.delfromlist.click();  // nothing selected: nothing removed
    EXPECT_EQ(form.List1.list_count(), 4);
    form.List1.set_list_index(1);
    form.delfromlist.click();
    EXPECT_EQ(form.List1.items(), (Names{"", "a.qrv", "a.qrv"}));
    form.List1.set_list_index(0);
    form.delfromlist.click();
    form.List1.set_list_index(0);
    form.delfromlist.click();
    EXPECT_EQ(form.List1.items(), (Names{"a.qrv"}));
    form.List1.set_list_index(0);
    form.delfromlist.click();  // the last entry goes only with Clear List
    EXPECT_EQ(form.List1.items(), (Names{"a.qrv"}));
    form.clrlist.click();
    EXPECT_EQ(form.List1.list_count(), 0);
}

TEST_F(SessionListTest, SaveAndLoadRoundTripWithEmptyEntries) {
    add(1);
    form.File1.set_list_index(-1);
    form.addtolist.click();
    add(0);
    form.Text3.set_text("s.ses");
    form.saveses.click();
    EXPECT_EQ(read_file("s.ses"), "b.qrv\r\n\r\na.qrv\r\n");
    ASSERT_EQ(form.File2.names(), (Names{"s.ses"}));

    form.clrlist.click();
    form.Text3.set_text("Default.ses");
    form.saveses.click();
    EXPECT_EQ(read_file("Default.ses"), "");

    key_at(3, 30);
    form.File2.double_click(1);  // s.ses, after Default.ses
    EXPECT_EQ(form.List1.items(), (Names{"b.qrv", "", "a.qrv"}));
    EXPECT_EQ(form.List1.list_index(), 0);
    EXPECT_EQ(form.Text1.text(), "b.qrv");
    EXPECT_EQ(form.Text3.text(), "s.ses");
    EXPECT_EQ(form.List2.items(), (Names{entry(3, 30)}));  // the keys stay until opened

    form.File2.double_click(0);  // the empty session file
    EXPECT_EQ(form.List1.list_count(), 0);
    EXPECT_EQ(form.Text1.text(), "");
    EXPECT_TRUE(reports.empty());
}

TEST_F(SessionListTest, EntriesWithCommasComeBackAsMore) {
    form.List1.add_item("x,y.qrv");
    form.List1.add_item("  lead.qrv");
    form.Text3.set_text("c.ses");
    form.saveses.click();
    form.clrlist.click();
    form.File2.double_click(0);
    EXPECT_EQ(form.List1.items(), (Names{"x", "y.qrv", "lead.qrv"}));
}

TEST_F(SessionListTest, AMissingSessionFileLeavesTheListAsItWas) {
    write_file("old.ses", "a.qrv\r\n");
    form.File2.refresh_list();
    std::filesystem::remove(dir.path() / "old.ses");
    add(0);
    add(1);
    form.Text1.set_text("mine.qrv");
    form.File2.double_click(0);
    EXPECT_EQ(form.List1.items(), (Names{"a.qrv", "b.qrv"}));
    EXPECT_EQ(form.Text1.text(), "mine.qrv");
    EXPECT_EQ(form.Text3.text(), "Default.ses");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("old.ses"), std::string::npos) << reports[0];
    EXPECT_EQ(form.File2.list_count(), 0);  // the list shows that the file is gone
}

TEST_F(SessionListTest, DoubleClickOpensOneSetupUnderTheRunningTimeLine) {
    add(0);
    add(1);
    form.play.click();
    ticks(15);
    form.List1.double_click(1);
    EXPECT_EQ(form.List2.items(), (Names{entry(0, 20)}));
    EXPECT_EQ(form.Text1.text(), "b.qrv");
    EXPECT_FLOAT_EQ(form.playtime, 1.5f);
    EXPECT_TRUE(form.Timer2.enabled());
    ticks(5);
    EXPECT_FLOAT_EQ(form.playtime, 2.0f);
}

}  // namespace
}  // namespace qv
