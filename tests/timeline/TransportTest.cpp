#include <iomanip>
#include <sstream>

#include "FormFixture.h"
#include "audio/FailingBackend.h"

namespace qv {
namespace {

class TransportTest : public testing::FormFixture {
protected:
    // Cursor second, Text2, play time, tx(30) and "run" while the transport runs.
    std::string shown() {
        std::ostringstream s;
        s << std::setprecision(8) << form.time.value() << " '" << form.Text2.text() << "' "
          << form.timeline.playtime() << " " << text(30) << (form.Timer2.enabled() ? " run" : "");
        return s.str();
    }
};

TEST_F(TransportTest, AKeyIsHitOnTheTickThatRoundsToItsSecondWhileTheCursorShowsTheOneBefore) {
    key_at(3, 60);
    form.panel.tx(30).set_text("0");
    form.play.click();
    ticks(29);
    EXPECT_EQ(shown(), "2 '2' 2.8999994 0 run");
    ticks(1);
    EXPECT_EQ(shown(), "2 '2' 2.9999993 60 run");
    ticks(1);
    EXPECT_EQ(shown(), "3 '3' 3.0999992 60 run");
}

TEST_F(TransportTest, NextAndPrevKeyWalkTheKeysAndFallToZeroPastTheEnds) {
    key_at(40, 3);
    key_at(5, 1);
    key_at(12, 2);
    std::string walk;
    for (char press : std::string("pnnnnnnnppp")) {
        (press == 'n' ? form.nextkey : form.prevkey).click();
        const int second = form.time.value();
        walk += std::to_string(second) + (second ? "=" + text(30) : "") + " ";
        EXPECT_EQ(form.timeline.playtime(), float(second));
        EXPECT_EQ(form.Text2.text(), std::to_string(second));
    }
    // Prev Key at the start goes to the first key: the segment there is 0, 0, 0.
    EXPECT_EQ(walk, "5=1 12=2 40=3 0 0 0 0 0 12=2 5=1 0 ");
}

TEST_F(TransportTest, CursorStepsMoveOnlyTheCursorAndPlayContinuesFromThePlayTime) {
    form.play.click();
    ticks(100);
    form.pause.click();
    for (int i = 0; i < 3; ++i) form.oneforward.click();
    form.Text2.set_text("42");  // typing here changes nothing
    form.oneback.click();
    EXPECT_EQ(shown().substr(0, 8), "12 '12' ");
    form.play.click();
    ticks(1);
    EXPECT_EQ(form.time.value(), 10);
    EXPECT_FLOAT_EQ(form.timeline.playtime(), 10.1f);
    form.stop.click();
    form.oneback.click();
    EXPECT_EQ(form.time.value(), 0);
    form.time.set_value(600);
    form.oneforward.click();
    EXPECT_EQ(form.time.value(), 600);
}

TEST_F(TransportTest, PlayTwiceKeepsTheTimeRunningPauseHoldsAndStopReturnsToTheKeyAtZero) {
    key_at(0, 25);
    key_at(10, 75);
    form.play.click();
    EXPECT_EQ(form.Timer1.interval(), 30);
    ticks(10);
    form.play.click();
    ticks(30);
    form.pause.click();
    ticks(20);
    EXPECT_EQ(shown(), "3 '3' 3.9999983 44");
    EXPECT_TRUE(form.play.enabled() && form.Timer1.enabled());
    form.stop.click();
    ticks(10);
    EXPECT_EQ(shown(), "0 '0' 0 25");
}

// The whole time line on the virtual clock: a hit is seen because it loads the stored
// switch over a greyed ck(1) set before each tick.
TEST_F(TransportTest, WholeTimeLineHitsEveryKeyOnceAndEndsAt600) {
    const std::vector<int> keyed = {0, 1, 2, 3, 59, 60, 61, 299, 300, 301, 598, 599, 600};
    for (int s : keyed) key_at(s, s % 100);
    form.stop.click();
    form.play.click();
    std::vector<int> hit_seconds;
    int tick = 0;
    while (form.Timer2.enabled() && tick < 6100) {
        form.panel.ck(1).set_value(2);
        ticks(1);
        ++tick;
        if (form.panel.ck(1).value() != 2) {
            hit_seconds.push_back(tick / 10);
            EXPECT_EQ(tick % 10, 0);
            EXPECT_EQ(text(30), std::to_string(tick / 10 % 100)) << "tick " << tick;
        }
    }
    EXPECT_EQ(hit_seconds, std::vector<int>(keyed.begin() + 1, keyed.end()));
    EXPECT_EQ(tick, 6000);
    EXPECT_EQ(form.Text2.text(), "600");
    EXPECT_TRUE(form.play.enabled());
    // Play at the end runs one more tick and holds again, the cursor at its last second.
    form.play.click();
    ticks(3);
    EXPECT_FALSE(form.Timer2.enabled());
    EXPECT_EQ(form.time.value(), 600);
}

// A sound device that cannot be opened on Play must not end the program: the keyframes
// and the session list would be lost. The time line goes on and the next Play retries.
TEST(TransportSound, PlayWithoutADeviceReportsAndGoesOn) {
    VirtualClock clock;
    auto* device = new FailingBackend;
    modSynth_DX7 tone{std::unique_ptr<FailingBackend>(device)};
    MainForm form(clock, tone);
    std::vector<std::string> reports;
    form.on_report = [&](const std::string& m) { reports.push_back(m); };
    ASSERT_TRUE(form.Form_Load());
    device->open_failure = "no default output device";
    form.play.click();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("no default output device"), std::string::npos);
    clock.advance(1000);
    EXPECT_EQ(form.Text2.text(), "1");
    device->open_failure.clear();
    form.play.click();
    EXPECT_EQ(reports.size(), 1u);
    EXPECT_TRUE(tone.channelBuffer(0) && tone.channelBuffer(0)->SetFrequency(9000));
}

}  // namespace
}  // namespace qv
