#include <gtest/gtest.h>

#include "../audio/FailingBackend.h"
#include "app/MainForm.h"
#include "controls/VirtualClock.h"

namespace qv {
namespace {

struct StartedForm {
    VirtualClock clock;
    FailingBackend* device = new FailingBackend;
    modSynth_DX7 tone{std::unique_ptr<FailingBackend>(device)};
    MainForm form{clock, tone};
    std::vector<std::string> reports;
    StartedForm() {
        form.on_report = [this](const std::string& m) { reports.push_back(m); };
    }
};

// Without a sound device the program does not start: nothing of the tone output is left,
// and it says why. Once started, a device that cannot be opened on Play must not end the
// program, or the keyframes and the session list would be lost: the time line goes on and
// the next Play tries again.
TEST(MainForm, StartsOnlyWithADeviceShowsTheSplashForThreeSecondsAndPlayRetriesTheDevice) {
    StartedForm none;
    none.device->open_failure = "no default output device";
    EXPECT_FALSE(none.form.Form_Load());
    EXPECT_EQ(none.tone.failure(), "no default output device");
    EXPECT_TRUE(!none.tone.primaryBuffer() && !none.tone.channelBuffer(0) &&
                !none.tone.channelBuffer(1) && !none.tone.soundDevice());

    StartedForm s;
    std::vector<bool> splash = {s.form.about.visible()};
    ASSERT_TRUE(s.form.Form_Load());
    for (int ms : {2999, 3000}) {
        s.clock.advance_to(ms);
        splash.push_back(s.form.about.visible());
    }
    EXPECT_EQ(splash, (std::vector<bool>{false, true, false}));
    s.device->open_failure = "no default output device";
    s.form.play.click();
    ASSERT_EQ(s.reports.size(), 1u);
    EXPECT_NE(s.reports[0].find("no default output device"), std::string::npos);
    s.clock.advance(1000);
    EXPECT_EQ(s.form.Text2.text(), "1");
    s.device->open_failure.clear();
    s.form.play.click();
    EXPECT_EQ(s.reports.size(), 1u);
    EXPECT_TRUE(s.tone.channelBuffer(0) && s.tone.channelBuffer(0)->SetFrequency(9000));
}

}  // namespace
}  // namespace qv
