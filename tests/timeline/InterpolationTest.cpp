#include "FormFixture.h"

namespace qv {
namespace {

using InterpolationTest = testing::FormFixture;

// The figures depend on the play time being accumulated in 32-bit float steps and on each
// formula being evaluated from its own end; tx(30) is a plain 0..100 parameter.
TEST_F(InterpolationTest, RisingAndFallingValuesFollowTheAccumulatedPlayTime) {
    struct Case {
        int from, to;
        std::vector<std::pair<int, int>> ticks_and_values;
    } cases[] = {{0, 100, {{1, 1}, {5, 5}, {25, 24}, {30, 29}, {31, 30}}},
                 {100, 0, {{1, 98}, {5, 95}, {30, 70}, {50, 50}}}};
    for (const Case& c : cases) {
        key_at(0, c.from);
        key_at(10, c.to);
        form.stop.click();
        form.play.click();  // hits 000: the segment is the two keys
        int done = 0;
        for (auto [tick, value] : c.ticks_and_values) {
            ticks(tick - done);
            done = tick;
            EXPECT_EQ(text(30), std::to_string(value))
                << c.from << " to " << c.to << " after " << tick;
        }
        form.pause.click();
    }
}

TEST_F(InterpolationTest, NothingIsWrittenBeforeTheFirstHitNorAfterTheLastKey) {
    key_at(10, 20);
    key_at(20, 80);
    form.panel.tx(30).set_text("7");
    form.time.set_value(0);
    form.play.click();
    ticks(99);  // the segment is still 0, 0: one entry against itself
    EXPECT_EQ(text(30), "7");
    ticks(51);
    EXPECT_EQ(text(30), "50");
    ticks(50);
    EXPECT_EQ(text(30), "80");
    form.panel.tx(30).set_text("13");
    ticks(30);  // no entry after the last key: nothing can be computed
    EXPECT_EQ(text(30), "13");
}

TEST_F(InterpolationTest, EqualValuesAreNeverWrittenBetweenKeys) {
    key_at(0, 40);
    key_at(10, 40);
    form.panel.tx(31).set_text("90");
    form.setkey.click();  // only parameter 31 differs between the keys
    form.play.click();
    ticks(20);
    form.panel.tx(30).set_text("77");
    ticks(30);
    EXPECT_EQ(text(30), "77");
    EXPECT_EQ(text(31), "64");  // 40 + 50 x 4.9999976 / 10, cut down
}

TEST_F(InterpolationTest, StopWithAStaleSegmentExtrapolates) {
    key_at(10, 20);
    key_at(20, 80);
    form.nextkey.click();  // hit at 10: the segment is 10 -> 20
    form.stop.click();     // no key at 0: the line from 10 to 20 is extended back
    EXPECT_EQ(text(30), "-40");
    EXPECT_EQ(form.panel.hsc(30).value(), 20);  // the slider refuses -40
}

TEST_F(InterpolationTest, ShiftOutputsFollowTheirSwitchesAmplitudeOutputsAlways) {
    for (int sw : {0, 1}) {
        form.panel.ck(2).set_value(sw);
        form.panel.ck(3).set_value(sw);
        key_at(0, 0);
        key_at(10, 100);
        form.stop.click();
        form.play.click();
        form.Timer1.set_enabled(false);  // the synthesis tick would rewrite tx(22), tx(23)
        ticks(1);
        form.panel.tx(22).set_text("33");
        form.panel.tx(23).set_text("33");
        ticks(44);
        const std::string shift = sw == 1 ? "44" : "33";
        EXPECT_EQ(text(22), shift) << "ck(2) " << sw;
        EXPECT_EQ(text(23), shift) << "ck(3) " << sw;
        EXPECT_EQ(text(24), "44") << "ck(0) unchecked";
        EXPECT_EQ(text(25), "44") << "ck(1) unchecked";
        form.pause.click();
    }
}

}  // namespace
}  // namespace qv
