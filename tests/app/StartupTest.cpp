#include <gtest/gtest.h>

#include "app/MainForm.h"
#include "controls/VirtualClock.h"

namespace qv {
namespace {

TEST(Startup, SetsTheTimersBuildsTheTableAndShowsTheSplashForThreeSeconds) {
    VirtualClock clock;
    modSynth_DX7 tone;
    MainForm form(clock, tone);
    EXPECT_FALSE(form.about.visible());
    ASSERT_TRUE(form.Form_Load());
    EXPECT_TRUE(form.Timer1.enabled() && form.Timer1.interval() == 25);
    EXPECT_TRUE(!form.Timer2.enabled() && form.Timer2.interval() == 100);
    EXPECT_FLOAT_EQ(form.NTable[179], 179.0f);
    clock.advance_to(2999);
    EXPECT_TRUE(form.about.visible());
    clock.advance_to(3000);
    EXPECT_FALSE(form.about.visible());
}

}  // namespace
}  // namespace qv
