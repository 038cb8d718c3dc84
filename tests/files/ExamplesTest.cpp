#include "../timeline/FormFixture.h"

namespace qv {
namespace {

// The examples as a newcomer finds them in the setups folder: every setup loads whole, and
// the session names three of them. Running a session is the window's end-to-end test.
class ExamplesTest : public testing::FormFixture {};

TEST_F(ExamplesTest, EverySetupLoadsWholeAndTheSessionFindsItsSetups) {
    std::filesystem::copy(QUORVANE_EXAMPLES_DIR, dir.path());
    form.File1.refresh_list();
    form.File2.refresh_list();
    ASSERT_GE(form.File1.list_count(), 3);
    for (int i = 0; const std::string& name : form.File1.names()) {
        form.File1.double_click(i++);
        const auto keys = static_cast<std::size_t>(form.List2.list_count());
        EXPECT_TRUE(keys > 0 && read_file(name).size() == 123 * keys)
            << name << " has no keys, or lines that are not 121 digits and CR LF";
    }

    ASSERT_EQ(form.File2.names(), (std::vector<std::string>{"Tour.ses"}));
    form.File2.double_click(0);
    ASSERT_EQ(form.List1.list_count(), 3);
    for (int i = 0; i < 3; ++i) form.List1.double_click(i);
    EXPECT_TRUE(reports.empty()) << reports.front();
}

}  // namespace
}  // namespace qv
