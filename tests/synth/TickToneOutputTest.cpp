// What each tick hands the tone output: master volume, playback rates, pans and buffers.
#include "TickFixture.h"

namespace qv::test {
namespace {

TEST_F(TickTest, EveryPeriodSendsVolumeRatesPansAndBuffersInThatOrder) {
    clock.advance_to(24);
    EXPECT_EQ(recorder.calls, "");
    clock.advance_to(25);
    EXPECT_EQ(recorder.calls, "V F0 F1 P0 P1 W0 W1 ");
    // The default rate sounds sc(8) = 15 turns of the fundamental in the 179 played bytes.
    EXPECT_NEAR(recorder.rate[0] * sc(8).value() / 179.0, 754.19, 0.005);
}

TEST_F(TickTest, SlidersGiveVolumeRatesAndPans) {
    // sc(9) tune, sc(11) AM speed, sc(14) pan, sc(15) volume, sc(20) diff, sc(21) share of
    // the AM speed; then the volume, both rates and both pans the next tick sends.
    const int cases[][11] = {
        {20, 0, 10, 0, 0, 0, -10000, 9000, 9000, 0, 0},  // the defaults
        {20, 0, 10, 1, 0, 0, -990, 9000, 9000, 0, 0},    // from silence straight to -990
        {20, 0, 10, 50, 0, 0, -500, 9000, 9000, 0, 0},
        {20, 0, 10, 100, 0, 0, 0, 9000, 9000, 0, 0},
        {0, 0, 10, 0, 100, 0, -10000, 5000, 4900, 0, 0},
        {100, 100, 10, 0, 0, 100, -10000, 25000, 25100, 0, 0},
        {20, 1, 10, 0, 0, 50, -10000, 9000, 9000, 0, 0},  // 9000.5 rounds to even
        {20, 3, 10, 0, 0, 50, -10000, 9000, 9002, 0, 0},  // 9001.5
        {20, 0, 0, 0, 0, 0, -10000, 9000, 9000, -4000, 4000},
        {20, 0, 20, 0, 0, 0, -10000, 9000, 9000, 4000, -4000},
        {20, 0, 13, 0, 0, 0, -10000, 9000, 9000, 1200, -1200},
    };
    for (const auto& c : cases) {
        const int sliders[] = {9, 11, 14, 15, 20, 21};
        for (int i = 0; i < 6; ++i) ASSERT_TRUE(sc(sliders[i]).set_value(c[i]));
        tick();
        const std::vector<int> sent = {recorder.volume, recorder.rate[0], recorder.rate[1],
                                       recorder.pan[0], recorder.pan[1]};
        EXPECT_EQ(sent, std::vector<int>(c + 6, c + 11)) << "case " << &c - cases;
    }
}

TEST_F(TickTest, MissingSoundObjectsDoNotStopTheRestOfTheTick) {
    sc(0).set_value(100);
    tone.Release();  // the channel buffers and the device go; the primary buffer stays
    tick();
    EXPECT_EQ(recorder.calls, "V W0 W1 ");
    // The synthesis itself went on: the left buffer carries the raised partial.
    EXPECT_NE(form.engine.leftBytes, filled(127));
    EXPECT_EQ(sc(24).value(), 50);
}

}  // namespace
}  // namespace qv::test
