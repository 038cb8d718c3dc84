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

TEST(MainForm, StartsOnlyWithASoundDeviceAndShowsTheSplashForThreeSeconds) {
    StartedForm none;  // nothing of the tone output is left, and it says why
    none.device->open_failure = "no default output device";
    EXPECT_FALSE(none.form.Form_Load());
    EXPECT_EQ(none.tone.failure(), "no default output device");
    EXPECT_TRUE(!none.tone.primaryBuffer() && !none.tone.channelBuffer(0) &&
                !none.tone.channelBuffer(1) && !none.tone.soundDevice());
    EXPECT_FALSE(none.tone.WriteChannel(0, {}));

    StartedForm s;
    EXPECT_FALSE(s.form.about.visible());
    ASSERT_TRUE(s.form.Form_Load());
    s.clock.advance_to(2999);
    EXPECT_TRUE(s.form.about.visible());
    s.clock.advance_to(3000);
    EXPECT_FALSE(s.form.about.visible());
}

// A sound device that cannot be opened on Play must not end the program: the keyframes
// and the session list would be lost. The time line goes on and the next Play retries.
TEST(MainForm, PlayWithoutADeviceReportsAndGoesOn) {
    StartedForm s;
    ASSERT_TRUE(s.form.Form_Load());
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
