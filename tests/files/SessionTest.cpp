// The session list and a session playing its setups one after the other.
#include <pthread.h>

#include "../timeline/FormFixture.h"

namespace qv {
namespace {

using testing::entry;
using Names = std::vector<std::string>;

// The example setups: A with keys at 0, 10 and 30 s, B with keys at 0 and 5 s, L with keys
// at 0 and 600 s, E empty; the values tell the keys apart.
class SessionTest : public testing::FormFixture {
protected:
    void SetUp() override {
        write("A.qrv", {entry(0, 10), entry(10, 20), entry(30, 40)});
        write("B.qrv", {entry(0, 50), entry(5, 60)});
        write("E.qrv", {});
        write("L.qrv", {entry(0, 10), entry(600, 20)});
        form.File1.refresh_list();
    }
    void run(const std::vector<std::string>& names) {
        form.clrlist.click();
        for (const std::string& name : names) form.List1.add_item(name);
        form.execute.click();
    }
    // The setup name and the session entry selected, then the time line.
    std::string where() {
        return form.Text1.text() + " #" + std::to_string(form.List1.list_index()) + " " + shown();
    }
};

// Items come back split at the comma, without the leading blanks; the keys and the setup
// name stay until a setup is opened. An empty session file empties the list.
TEST_F(SessionTest, EntriesAreAddedDeletedSavedAndLoadedBackByTheirRules) {
    // Adding with no setup selected (-1) adds an empty entry; duplicates are allowed.
    for (int i : {-1, 1, 0, 0}) {
        form.File1.set_list_index(i);
        form.addtolist.click();
    }
    EXPECT_EQ(form.List1.items(), (Names{"", "B.qrv", "A.qrv", "A.qrv"}));
    // Nothing selected: nothing removed. The last entry goes only with Clear List.
    for (int i : {-1, 1, 0, 0, 0}) {
        form.List1.set_list_index(i);
        form.delfromlist.click();
    }
    EXPECT_EQ(form.List1.items(), (Names{"A.qrv"}));
    for (int i : {1, -1}) {
        form.File1.set_list_index(i);
        form.addtolist.click();
    }
    for (const char* item : {"x,y.qrv", "  lead.qrv"}) form.List1.add_item(item);
    auto save_session = [&](const char* name) {
        form.Text3.set_text(name);
        form.saveses.click();
    };
    save_session("s.ses");
    EXPECT_EQ(read_file("s.ses"), "A.qrv\r\nB.qrv\r\n\r\nx,y.qrv\r\n  lead.qrv\r\n");
    form.clrlist.click();
    save_session("Default.ses");
    EXPECT_EQ(read_file("Default.ses"), "");

    key_at(3, 30);
    form.File2.double_click(1);  // s.ses, after Default.ses: both listed at once
    EXPECT_EQ(form.List1.items(), (Names{"A.qrv", "B.qrv", "", "x", "y.qrv", "lead.qrv"}));
    // The setup name still names the keys' own setup, so Save Setup writes them there and
    // not over the session's first setup.
    EXPECT_EQ(where() + " " + form.Text3.text(), "Default.qrv #0 3 '3' 0 30 s.ses");
    form.save.click();
    EXPECT_EQ(read_file("Default.qrv"), entry(3, 30) + "\r\n");
    form.addtolist.click();  // the setup just saved
    EXPECT_EQ(form.List1.items().back(), "Default.qrv");
    form.File2.double_click(0);
    EXPECT_EQ(where() + " " + std::to_string(form.List1.list_count()),
              "Default.qrv #-1 3 '3' 0 30 0");
    EXPECT_TRUE(reports.empty());
}

// Only a lone setup ends at 600 s: in a session a setup keyed at 600 s hands over.
TEST_F(SessionTest, SetupsFollowEachOtherEvenPast600AndTheSessionEndsAtZero) {
    run({"A.qrv", "B.qrv"});
    EXPECT_EQ(where(), "A.qrv #0 0 '0' 0 10 run session held");
    ticks(300);
    EXPECT_EQ(where(), "A.qrv #0 30 '30' 30.000078 40 run session held");
    ticks(1);  // 30.1 s: no key after A's last, and B's first is met in the same tick
    EXPECT_EQ(where(), "B.qrv #1 0 '0' 0 50 run session held");
    ticks(50);
    EXPECT_EQ(where(), "B.qrv #1 4 '4' 4.9999976 60 run session held");
    ticks(1);  // 5.1 s of B: the last entry is done; B at second 0
    EXPECT_EQ(where(), "B.qrv #1 0 '0' 0 50 held");

    run({"L.qrv", "B.qrv"});
    ticks(6001);
    EXPECT_EQ(where(), "B.qrv #1 0 '0' 0 50 run session held");
}

TEST_F(SessionTest, OneEntryDoesNotStartEqualEntriesPlayAgainARestartBeginsAtTheFirst) {
    form.Text1.set_text("mine.qrv");
    run({"A.qrv"});
    EXPECT_EQ(where(), "mine.qrv #-1 0 '0' 0 0");

    run({"B.qrv", "B.qrv"});
    ticks(51);
    EXPECT_EQ(where(), "B.qrv #1 0 '0' 0 50 run session held");
    ticks(51);
    EXPECT_FALSE(form.sessionPlayer().running());
    form.execute.click();
    EXPECT_EQ(where(), "B.qrv #0 0 '0' 0 50 run session held");
}

// Runs f on a thread with a small stack, so that advancing setup by setup through nested
// calls would overflow it. An optimised build may turn that nesting into jumps; the
// sanitizer build, compiled without sibling calls, keeps a frame for each.
template <typename F>
void on_small_stack(F f) {
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, 512 * 1024);
    pthread_t thread;
    auto run = [](void* p) -> void* {
        (*static_cast<F*>(p))();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attr, run, &f), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attr);
}

// Empty and missing setups are passed in the tick that ends the one before, each missing
// one reported once; when they end the session, it ends there.
TEST_F(SessionTest, ALongRunOfEmptyOrMissingSetupsIsPassedInOneTickWithoutNesting) {
    Names names = {"A.qrv"};
    for (int i = 0; i < 10000; ++i) names.push_back(i % 2 == 0 ? "E.qrv" : "gone.qrv");
    names.push_back("B.qrv");
    on_small_stack([&] {
        run(names);
        ticks(301);
    });
    EXPECT_EQ(where(), "B.qrv #10001 0 '0' 0 50 run session held");
    ASSERT_EQ(reports.size(), 5000u);
    EXPECT_NE(reports[0].find("gone.qrv"), std::string::npos) << reports[0];

    names.pop_back();  // now the run ends the session
    on_small_stack([&] {
        run(names);
        ticks(301);
    });
    EXPECT_EQ(where(), "gone.qrv #10000 0 '0' 0 40 held");
}

}  // namespace
}  // namespace qv
