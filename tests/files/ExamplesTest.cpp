#include "../timeline/FormFixture.h"

namespace qv {
namespace {

// The examples as a newcomer finds them in the setups folder: every setup loads whole, and
// the session plays its setups one after the other to the end.
class ExamplesTest : public testing::FormFixture {};

TEST_F(ExamplesTest, EverySetupLoadsWholeAndTheSessionPlaysThemToTheEnd) {
    for (const auto& file : std::filesystem::directory_iterator(QUORVANE_EXAMPLES_DIR)) {
        std::filesystem::copy_file(file.path(), dir.path() / file.path().filename());
    }
    form.File1.refresh_list();
    form.File2.refresh_list();
    ASSERT_GE(form.File1.list_count(), 3);
    for (int i = 0; i < form.File1.list_count(); ++i) {
        const std::string name = form.File1.names()[static_cast<std::size_t>(i)];
        form.File1.double_click(i);
        const auto keys = static_cast<std::size_t>(form.List2.list_count());
        EXPECT_GT(keys, 0u) << name;
        EXPECT_EQ(read_file(name).size(), 123 * keys)
            << name << " is not 121 digits and CR LF a line";
    }

    ASSERT_EQ(form.File2.names(), (std::vector<std::string>{"Tour.ses"}));
    form.File2.double_click(0);
    ASSERT_EQ(form.List1.list_count(), 3);
    int expected_ticks = 0;  // each setup plays to its last key and is left one tick later
    for (int i = 0; i < 3; ++i) {
        form.List1.double_click(i);
        expected_ticks +=
            10 * std::stoi(form.List2.list(form.List2.list_count() - 1).substr(0, 3)) + 1;
    }
    ASSERT_TRUE(reports.empty()) << reports.front();
    form.stop.click();
    form.execute.click();
    int tick = 0;
    for (; form.sessionflag == 1 && tick <= expected_ticks; ++tick) ticks(1);
    EXPECT_EQ(tick, expected_ticks);
    EXPECT_EQ(form.Text1.text(), form.List1.list(2));
    EXPECT_TRUE(reports.empty());
}

}  // namespace
}  // namespace qv
