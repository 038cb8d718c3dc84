// What each tick hands the tone output: master volume, playback rates, pans and buffers.
#include <vector>

#include "TickFixture.h"

namespace qv::test {
namespace {

using Kind = ToneCall::Kind;

TEST_F(TickTest, EveryPeriodSendsVolumeRatesPansAndBuffersInThatOrder) {
    clock.advance_to(24);
    EXPECT_TRUE(recorder.calls.empty());
    clock.advance_to(25);

    std::vector<std::pair<Kind, int>> order;
    for (const ToneCall& c : recorder.calls) order.emplace_back(c.kind, c.channel);
    EXPECT_EQ(order, (std::vector<std::pair<Kind, int>>{{Kind::Volume, -1},
                                                        {Kind::Frequency, 0},
                                                        {Kind::Frequency, 1},
                                                        {Kind::Pan, 0},
                                                        {Kind::Pan, 1},
                                                        {Kind::Write, 0},
                                                        {Kind::Write, 1}}));
    // The defaults: silent, rate 9000 on both ears, both in the middle.
    EXPECT_EQ(volume(), -10000);
    EXPECT_EQ(frequency(0), 9000);
    EXPECT_EQ(frequency(1), 9000);
    EXPECT_EQ(pan(0), 0);
    EXPECT_EQ(pan(1), 0);
    // N = sc(8) turns of the fundamental in the 179 played bytes.
    EXPECT_NEAR(frequency(0) * sc(8).value() / 179.0, 754.19, 0.005);

    tick(4);
    EXPECT_EQ(recorder.calls.size(), 4u * 7u);
}

TEST_F(TickTest, MasterVolumeJumpsFromSilenceStraightToMinus990) {
    const std::vector<std::pair<int, int>> cases = {{0, -10000}, {1, -990}, {50, -500}, {100, 0}};
    for (auto [slider, level] : cases) {
        sc(15).set_value(slider);
        tick();
        EXPECT_EQ(volume(), level) << "sc(15) = " << slider;
    }
}

TEST_F(TickTest, RightRateSubtractsDiffAndAddsAShareOfTheAmSpeed) {
    sc(9).set_value(0);
    sc(20).set_value(100);
    tick();
    EXPECT_EQ(frequency(0), 5000);
    EXPECT_EQ(frequency(1), 4900);

    sc(9).set_value(100);
    sc(20).set_value(0);
    sc(21).set_value(100);
    sc(11).set_value(100);
    tick();
    EXPECT_EQ(frequency(0), 25000);
    EXPECT_EQ(frequency(1), 25100);
}

TEST_F(TickTest, RightRateRoundsHalvesToEven) {
    sc(21).set_value(50);  // half of the AM speed in samples per second
    sc(11).set_value(1);
    tick();
    EXPECT_EQ(frequency(1), 9000);  // 9000.5
    sc(11).set_value(3);
    tick();
    EXPECT_EQ(frequency(1), 9002);  // 9001.5
    sc(11).set_value(5);
    tick();
    EXPECT_EQ(frequency(1), 9002);  // 9002.5
    EXPECT_EQ(frequency(0), 9000);
}

TEST_F(TickTest, PanPlacesTheEarsOppositeEachOther) {
    sc(14).set_value(0);
    tick();
    EXPECT_EQ(pan(0), -4000);
    EXPECT_EQ(pan(1), 4000);
    sc(14).set_value(20);
    tick();
    EXPECT_EQ(pan(0), 4000);
    EXPECT_EQ(pan(1), -4000);
    sc(14).set_value(13);
    tick();
    EXPECT_EQ(pan(0), 1200);
    EXPECT_EQ(pan(1), -1200);
}

TEST_F(TickTest, MissingSoundObjectsDoNotStopTheRestOfTheTick) {
    sc(0).set_value(100);
    tone.Release();  // the channel buffers and the device go; the primary buffer stays
    tick();
    ASSERT_EQ(recorder.calls.size(), 3u);
    EXPECT_EQ(recorder.calls[0].kind, Kind::Volume);
    EXPECT_EQ(recorder.calls[1].kind, Kind::Write);
    EXPECT_EQ(recorder.calls[2].kind, Kind::Write);
    EXPECT_EQ(recorder.calls[2].channel, 1);
    // The synthesis itself went on: the left buffer carries the raised partial.
    EXPECT_NE(written(0), SampleArray{});
    EXPECT_EQ(sc(24).value(), 50);
}

}  // namespace
}  // namespace qv::test
