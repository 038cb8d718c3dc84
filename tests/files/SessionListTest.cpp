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
    void add(int setup_index) {  // -1: nothing selected
        form.File1.set_list_index(setup_index);
        form.addtolist.click();
    }
    void del(int index) {
        form.List1.set_list_index(index);
        form.delfromlist.click();
    }
};

TEST_F(SessionListTest, AddDeleteAndClearFollowTheirRules) {
    for (int i : {-1, 1, 0, 0}) add(i);  // duplicates are allowed
    EXPECT_EQ(form.List1.items(), (Names{"", "b.qrv", "a.qrv", "a.qrv"}));
    del(-1);  // nothing selected: nothing removed
    del(1);
    EXPECT_EQ(form.List1.items(), (Names{"", "a.qrv", "a.qrv"}));
    del(0);
    del(0);
    del(0);  // the last entry goes only with Clear List
    EXPECT_EQ(form.List1.items(), (Names{"a.qrv"}));
    form.clrlist.click();
    EXPECT_EQ(form.List1.list_count(), 0);
}

TEST_F(SessionListTest, SaveAndLoadRoundTripWithEmptyEntries) {
    for (int i : {1, -1, 0}) add(i);
    form.List1.add_item("x,y.qrv");  // items come back split at the comma, without the spaces
    form.List1.add_item("  lead.qrv");
    form.Text3.set_text("s.ses");
    form.saveses.click();
    EXPECT_EQ(read_file("s.ses"), "b.qrv\r\n\r\na.qrv\r\nx,y.qrv\r\n  lead.qrv\r\n");
    ASSERT_EQ(form.File2.names(), (Names{"s.ses"}));
    form.clrlist.click();
    form.Text3.set_text("Default.ses");
    form.saveses.click();
    EXPECT_EQ(read_file("Default.ses"), "");

    key_at(3, 30);
    form.File2.double_click(1);  // s.ses, after Default.ses
    EXPECT_EQ(form.List1.items(), (Names{"b.qrv", "", "a.qrv", "x", "y.qrv", "lead.qrv"}));
    EXPECT_EQ(form.List1.list_index(), 0);
    EXPECT_EQ(form.Text1.text(), "b.qrv");
    EXPECT_EQ(form.Text3.text(), "s.ses");
    EXPECT_EQ(form.List2.items(), (Names{entry(3, 30)}));  // the keys stay until opened

    form.File2.double_click(0);  // the empty session file
    EXPECT_EQ(form.List1.list_count(), 0);
    EXPECT_EQ(form.Text1.text(), "");
    EXPECT_TRUE(reports.empty());
}

}  // namespace
}  // namespace qv
