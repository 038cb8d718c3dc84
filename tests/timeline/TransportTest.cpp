#include <vector>

#include "FormFixture.h"
#include "audio/FailingBackend.h"

namespace qv {
namespace {

using TransportTest = testing::FormFixture;

TEST_F(TransportTest, AKeyIsHitOnTheTickThatRoundsToItsSecond) {
    key_at(3, 60);
    form.panel.tx(30).set_text("0");
    form.time.set_value(0);
    form.play.click();
    ticks(29);
    EXPECT_EQ(text(30), "0");
    ticks(1);
    EXPECT_EQ(form.playtime, 2.9999993f);
    EXPECT_EQ(text(30), "60");
    EXPECT_EQ(form.time.value(), 2);
    EXPECT_EQ(form.Text2.text(), "2");
    ticks(1);
    EXPECT_EQ(form.time.value(), 3);
    EXPECT_EQ(form.Text2.text(), "3");
}

TEST_F(TransportTest, NextAndPrevKeyWalkTheKeysAndFallToZeroPastTheEnds) {
    key_at(40, 3);
    key_at(5, 1);
    key_at(12, 2);
    std::vector<int> walk;
    for (int i = 0; i < 5; ++i) {
        form.nextkey.click();
        walk.push_back(form.time.value());
        EXPECT_EQ(form.playtime, static_cast<float>(form.time.value()));
    }
    EXPECT_EQ(walk, (std::vector<int>{5, 12, 40, 0, 0}));
    EXPECT_EQ(form.Text2.text(), "0");

    form.nextkey.click();
    form.nextkey.click();  // back at 40
    form.prevkey.click();
    EXPECT_EQ(form.time.value(), 12);
    EXPECT_EQ(text(30), "2");
    form.prevkey.click();
    form.prevkey.click();  // before the first key
    EXPECT_EQ(form.time.value(), 0);
    EXPECT_EQ(form.playtime, 0.0f);
}

TEST_F(TransportTest, PrevKeyAfterStartGoesToTheFirstKey) {
    key_at(40, 3);
    key_at(5, 1);
    form.time.set_value(0);
    form.prevkey.click();  // the segment starts at 0, 0, 0
    EXPECT_EQ(form.time.value(), 5);
    EXPECT_EQ(form.curkeyidx, 0.0f);
    form.prevkey.click();
    EXPECT_EQ(form.time.value(), 0);
}

TEST_F(TransportTest, CursorStepsMoveOnlyTheCursor) {
    form.play.click();
    ticks(100);
    form.pause.click();
    for (int i = 0; i < 3; ++i) form.oneforward.click();
    EXPECT_EQ(form.time.value(), 13);
    EXPECT_EQ(form.Text2.text(), "13");
    form.Text2.set_text("42");  // typing here changes nothing
    EXPECT_EQ(form.time.value(), 13);
    form.oneback.click();
    EXPECT_EQ(form.Text2.text(), "12");
    form.play.click();  // goes on from the play time, not from the cursor
    ticks(1);
    EXPECT_EQ(form.time.value(), 10);
    EXPECT_FLOAT_EQ(form.playtime, 10.1f);

    form.stop.click();
    form.oneback.click();
    EXPECT_EQ(form.time.value(), 0);
    form.time.set_value(600);
    form.oneforward.click();
    EXPECT_EQ(form.time.value(), 600);
}

TEST_F(TransportTest, PlayTwiceKeepsTheTimeRunning) {
    form.play.click();
    EXPECT_EQ(form.Timer1.interval(), 30);
    ticks(10);
    form.play.click();
    ticks(5);
    EXPECT_FLOAT_EQ(form.playtime, 1.5f);
    EXPECT_TRUE(form.Timer2.enabled());
    EXPECT_TRUE(form.play.enabled());
    ASSERT_NE(tone.channelBuffer(0), nullptr);
}

TEST_F(TransportTest, PauseHoldsAndStopReturnsToZeroWithTheKeyAtZero) {
    key_at(0, 25);
    key_at(10, 75);
    form.play.click();
    ticks(40);
    form.pause.click();
    const float held = form.playtime;
    const std::string value = text(30);
    ticks(20);
    EXPECT_EQ(form.playtime, held);
    EXPECT_EQ(text(30), value);
    EXPECT_FALSE(form.Timer2.enabled());
    EXPECT_TRUE(form.Timer1.enabled());

    form.play.click();
    ticks(1);
    EXPECT_FLOAT_EQ(form.playtime, held + 0.1f);
    form.stop.click();
    EXPECT_FALSE(form.Timer2.enabled());
    EXPECT_EQ(form.playtime, 0.0f);
    EXPECT_EQ(form.time.value(), 0);
    EXPECT_EQ(form.Text2.text(), "0");
    EXPECT_EQ(text(30), "25");
    ticks(10);
    EXPECT_EQ(form.playtime, 0.0f);
}

// The whole time line on the virtual clock: ticks are counted one by one, and a hit is
// seen because it loads the stored switch over a greyed ck(1) set before each tick.
TEST_F(TransportTest, WholeTimeLineHitsEveryKeyOnceAndEndsAt600) {
    const std::vector<int> keyed = {0, 1, 2, 3, 59, 60, 61, 299, 300, 301, 598, 599, 600};
    for (int s : keyed) key_at(s, s % 100);
    form.stop.click();
    form.play.click();

    std::vector<int> hit_ticks;
    int tick = 0;
    while (form.Timer2.enabled()) {
        ASSERT_LT(tick, 6100) << "the transport did not stop";
        form.panel.ck(1).set_value(2);
        ticks(1);
        ++tick;
        if (form.panel.ck(1).value() != 2) {
            hit_ticks.push_back(tick);
            EXPECT_EQ(text(30), std::to_string(tick / 10 % 100)) << "tick " << tick;
        }
    }
    std::vector<int> expected;
    for (int s : keyed) {
        if (s > 0) expected.push_back(10 * s);
    }
    EXPECT_EQ(hit_ticks, expected);
    EXPECT_EQ(tick, 6000);
    EXPECT_EQ(form.time.value(), 600);
    EXPECT_EQ(form.Text2.text(), "600");
    EXPECT_TRUE(form.play.enabled());
    EXPECT_TRUE(form.Timer1.enabled());

    // Play at the end runs one more tick and holds again, the cursor at its last second.
    form.play.click();
    ticks(3);
    EXPECT_FALSE(form.Timer2.enabled());
    EXPECT_EQ(form.time.value(), 600);
}

TEST_F(TransportTest, TheTimeLineStopsAt600AlsoWithoutAKeyThere) {
    form.time.set_value(590);
    key_at(590, 10);
    form.nextkey.click();
    form.play.click();
    ticks(200);
    EXPECT_FALSE(form.Timer2.enabled());
    EXPECT_NEAR(form.playtime, 600.0f, 0.01f);
    EXPECT_EQ(form.time.value(), 600);
}

}  // namespace
}  // namespace qv

namespace qv {
namespace {

// A sound device that cannot be opened on Play must not end the program: the keyframes
// and the session list would be lost. The time line goes on and the next Play retries.
TEST(TransportSound, PlayWithoutADeviceReportsAndGoesOn) {
    VirtualClock clock;
    auto backend = std::make_unique<FailingBackend>();
    FailingBackend& device = *backend;
    modSynth_DX7 tone(std::move(backend));
    MainForm form(clock, tone);
    std::vector<std::string> reports;
    form.on_report = [&](const std::string& m) { reports.push_back(m); };
    ASSERT_TRUE(form.Form_Load());

    device.open_failure = "no default output device";
    form.play.click();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("no default output device"), std::string::npos);
    clock.advance(1000);
    EXPECT_EQ(form.Text2.text(), "1");

    device.open_failure.clear();
    form.play.click();
    EXPECT_EQ(reports.size(), 1u);
    ASSERT_NE(tone.channelBuffer(0), nullptr);
    EXPECT_TRUE(tone.channelBuffer(0)->SetFrequency(9000));
}

}  // namespace
}  // namespace qv
