#include <pthread.h>

#include "../timeline/FormFixture.h"

namespace qv {
namespace {

using testing::entry;

// The example session: A with keys at 0, 10 and 30 s, B with keys at 0 and 5 s; the
// values tell the keys apart.
class SessionPlayerTest : public testing::FormFixture {
protected:
    void SetUp() override {
        write_file("A.qrv",
                   entry(0, 10) + "\r\n" + entry(10, 20) + "\r\n" + entry(30, 40) + "\r\n");
        write_file("B.qrv", entry(0, 50) + "\r\n" + entry(5, 60) + "\r\n");
        write_file("E.qrv", "");
    }
    void session(const std::vector<std::string>& names) {
        form.clrlist.click();
        for (const std::string& name : names) form.List1.add_item(name);
    }
    bool running() { return form.sessionPlayer.running(); }
};

TEST_F(SessionPlayerTest, SetupsFollowEachOtherAndTheSessionEndsAtZero) {
    session({"A.qrv", "B.qrv"});
    form.execute.click();
    EXPECT_TRUE(running());
    EXPECT_FALSE(form.play.enabled());
    EXPECT_EQ(form.Text1.text(), "A.qrv");

    ticks(300);
    EXPECT_EQ(text(30), "40");
    EXPECT_EQ(form.Text1.text(), "A.qrv");
    ticks(1);  // 30.1 s: no key after A's last, and B's first is met in the same tick
    EXPECT_EQ(form.Text1.text(), "B.qrv");
    EXPECT_EQ(form.List1.list_index(), 1);
    EXPECT_EQ(form.List2.items(), (std::vector<std::string>{entry(0, 50), entry(5, 60)}));
    EXPECT_EQ(form.time.value(), 0);
    EXPECT_EQ(text(30), "50");

    ticks(50);
    EXPECT_EQ(text(30), "60");
    EXPECT_TRUE(running());
    ticks(1);  // 5.1 s of B: the last entry is done
    EXPECT_FALSE(running());
    EXPECT_FALSE(form.Timer2.enabled());
    EXPECT_EQ(form.timeline.playtime(), 0.0f);
    EXPECT_EQ(form.time.value(), 0);
    EXPECT_EQ(text(30), "50");  // B at second 0
    EXPECT_EQ(form.panel.hsc(30).value(), 50);
    EXPECT_FALSE(form.play.enabled());
    EXPECT_EQ(form.List1.list_index(), 1);
}

TEST_F(SessionPlayerTest, EmptyAndMissingSetupsArePassedInTheSameTick) {
    session({"A.qrv", "E.qrv", "gone.qrv", "B.qrv"});
    form.execute.click();
    ticks(301);
    EXPECT_EQ(form.List1.list_index(), 3);
    EXPECT_EQ(text(30), "50");
    EXPECT_TRUE(running());
    ASSERT_EQ(reports.size(), 1u);  // the missing one, once
    EXPECT_NE(reports[0].find("gone.qrv"), std::string::npos) << reports[0];
}

TEST_F(SessionPlayerTest, OneEntryDoesNotStartEqualEntriesPlayAgainARestartBeginsAtTheFirst) {
    session({"A.qrv"});
    form.Text1.set_text("mine.qrv");
    form.execute.click();
    EXPECT_FALSE(running());
    EXPECT_TRUE(form.play.enabled());
    EXPECT_EQ(form.Text1.text(), "mine.qrv");

    session({"B.qrv", "B.qrv"});
    form.execute.click();
    ticks(51);
    EXPECT_EQ(form.sessionPlayer.position(), 1);
    EXPECT_EQ(form.timeline.playtime(), 0.0f);
    ticks(51);
    EXPECT_FALSE(running());
    form.execute.click();
    EXPECT_TRUE(running());
    EXPECT_EQ(form.List1.list_index(), 0);
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

TEST_F(SessionPlayerTest, ALongRunOfEmptyOrMissingSetupsIsPassedWithoutNesting) {
    form.clrlist.click();
    for (int i = 0; i < 10000; ++i) form.List1.add_item(i % 2 == 0 ? "E.qrv" : "gone.qrv");
    form.List1.add_item("B.qrv");
    on_small_stack([&] { form.execute.click(); });
    EXPECT_TRUE(running());
    EXPECT_EQ(form.sessionPlayer.position(), 10000);
    EXPECT_EQ(form.Text1.text(), "B.qrv");
    EXPECT_EQ(text(30), "50");
    EXPECT_EQ(reports.size(), 5000u);

    form.List1.remove_item(10000);  // now the run ends the session
    on_small_stack([&] { form.execute.click(); });
    EXPECT_FALSE(running());
    EXPECT_EQ(form.timeline.playtime(), 0.0f);
}

}  // namespace
}  // namespace qv
