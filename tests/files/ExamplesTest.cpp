#include "../timeline/FormFixture.h"

namespace qv {
namespace {

// The examples as a newcomer finds them in the setups folder.
class ExamplesTest : public testing::FormFixture {
protected:
    void SetUp() override {
        for (const auto& file : std::filesystem::directory_iterator(QUORVANE_EXAMPLES_DIR)) {
            std::filesystem::copy_file(file.path(), dir.path() / file.path().filename());
        }
        form.File1.refresh_list();
        form.File2.refresh_list();
    }
};

TEST_F(ExamplesTest, EverySetupLoadsWhole) {
    ASSERT_GE(form.File1.list_count(), 3);
    for (int i = 0; i < form.File1.list_count(); ++i) {
        const std::string name = form.File1.names()[static_cast<std::size_t>(i)];
        form.File1.double_click(i);
        const std::size_t keys = static_cast<std::size_t>(form.List2.list_count());
        EXPECT_GT(keys, 0u) << name;
        EXPECT_EQ(read_file(name).size(), 123 * keys)
            << name << " is not 121 digits and CR LF a line";
    }
    EXPECT_TRUE(reports.empty()) << reports.front();
}

TEST_F(ExamplesTest, TheSessionPlaysItsSetupsToTheEnd) {
    ASSERT_EQ(form.File2.names(), (std::vector<std::string>{"Tour.ses"}));
    form.File2.double_click(0);
    ASSERT_EQ(form.List1.list_count(), 3);
    std::vector<int> last_keys;
    for (int i = 0; i < form.List1.list_count(); ++i) {
        form.List1.double_click(i);
        ASSERT_TRUE(reports.empty()) << reports.front();
        last_keys.push_back(std::stoi(form.List2.list(form.List2.list_count() - 1).substr(0, 3)));
    }
    form.stop.click();
    form.execute.click();
    int expected_ticks = 0;
    for (int last : last_keys) expected_ticks += 10 * last + 1;
    int tick = 0;
    while (form.sessionflag == 1 && tick <= expected_ticks) {
        ticks(1);
        ++tick;
    }
    EXPECT_EQ(tick, expected_ticks);
    EXPECT_EQ(form.Text1.text(), form.List1.list(2));
    EXPECT_TRUE(reports.empty());
}

}  // namespace
}  // namespace qv
