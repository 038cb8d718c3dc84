#include <gtest/gtest.h>

#include <algorithm>

#include "ToneTestSupport.h"

namespace qv {
namespace {

using test::db;
using test::OfflineTone;
using test::rms;
using test::side;
using test::sine_loop;

// Whole loops at both 9000 Hz and 8000 Hz, so that levels measured over them are exact.
constexpr std::size_t kWholeLoops = 8592;

TEST(ToneOutput, ToneSoundsAtRateTimesTurnsOver179FromTheNextBlock) {
    OfflineTone out;
    struct Case {
        int turns;
        std::int32_t rate;
    };
    // Each new rate is measured on the very next second: a glide from the old rate or a
    // late change would show as a wrong frequency. 100000 Hz is read with the stretched kernel.
    for (const Case c : {Case{15, 9000}, Case{1, 5000}, Case{15, 25100}, Case{60, 100},
                         Case{7, 40000}, Case{15, 100000}}) {
        SCOPED_TRACE(testing::Message() << c.turns << " turns at " << c.rate);
        ASSERT_TRUE(out.tone.WriteChannel(0, sine_loop(c.turns)));
        ASSERT_TRUE(out.channel(0).SetFrequency(c.rate));
        const auto left = side(out.pull(48000), 0);
        const double expected = c.rate * c.turns / 179.0;
        EXPECT_NEAR(test::frequency(left, test::kOutputRate), expected, expected * 1e-5);
        EXPECT_NEAR(db(rms(left) * std::sqrt(2.0) / (100.0 / 128.0)), 0.0, 0.01);
    }
}

TEST(ToneOutput, PanLowersTheFarSideByHundredthsOfADecibel) {
    OfflineTone out;
    out.tone.WriteChannel(0, sine_loop(15));
    out.channel(0).SetFrequency(9000);
    const auto centred = out.pull(kWholeLoops);
    const double full = rms(side(centred, 0));
    EXPECT_DOUBLE_EQ(rms(side(centred, 1)), full);

    ASSERT_TRUE(out.channel(0).SetPan(-4000));
    auto frames = out.pull(kWholeLoops);
    EXPECT_NEAR(db(rms(side(frames, 0)) / full), 0.0, 0.001);
    EXPECT_NEAR(db(rms(side(frames, 1)) / full), -40.0, 0.001);

    ASSERT_TRUE(out.channel(0).SetPan(2500));
    frames = out.pull(kWholeLoops);
    EXPECT_NEAR(db(rms(side(frames, 0)) / full), -25.0, 0.001);
    EXPECT_NEAR(db(rms(side(frames, 1)) / full), 0.0, 0.001);

    // At the ends of the range the far side is silent, not just 100 dB down.
    ASSERT_TRUE(out.channel(0).SetPan(-10000));
    frames = out.pull(kWholeLoops);
    EXPECT_TRUE(test::all_zero(side(frames, 1)));
    EXPECT_GT(rms(side(frames, 0)), 0.5);

    // The other channel buffer keeps its own pan, in the middle.
    out.tone.WriteChannel(1, sine_loop(15));
    out.channel(1).SetFrequency(9000);
    frames = out.pull(kWholeLoops);
    EXPECT_NEAR(db(rms(side(frames, 1)) / full), 0.0, 0.001);
}

TEST(ToneOutput, MasterVolumeScalesBothSidesAndSilencesAtMinus10000) {
    OfflineTone out;
    out.tone.WriteChannel(0, sine_loop(15));
    out.tone.WriteChannel(1, sine_loop(20));
    out.channel(0).SetFrequency(9000);
    out.channel(1).SetFrequency(8000);
    out.channel(0).SetPan(-4000);
    out.channel(1).SetPan(4000);
    const auto loud = out.pull(kWholeLoops);

    ASSERT_TRUE(out.primary().SetVolume(-990));
    const auto soft = out.pull(kWholeLoops);
    ASSERT_TRUE(out.primary().SetVolume(-10000));
    EXPECT_TRUE(test::all_zero(out.pull(kWholeLoops)));
    // Silence by volume does not stop the loops: the sound comes back where it would be.
    ASSERT_TRUE(out.primary().SetVolume(0));
    const auto back = out.pull(kWholeLoops);

    for (int s = 0; s < 2; ++s) {
        EXPECT_NEAR(db(rms(side(soft, s)) / rms(side(loud, s))), -9.9, 0.001);
        EXPECT_NEAR(db(rms(side(back, s)) / rms(side(loud, s))), 0.0, 0.001);
    }
}

TEST(ToneOutput, RestLevelAndNewBuffersAreExactSilence) {
    OfflineTone out;
    out.channel(0).SetFrequency(9000);
    EXPECT_TRUE(test::all_zero(out.pull(4800))) << "a new buffer holds the rest level";

    out.tone.WriteChannel(0, sine_loop(15));
    out.tone.WriteChannel(1, sine_loop(7));
    EXPECT_GT(rms(out.pull(4800)), 0.1);
    out.tone.WriteChannel(0, test::filled(127));
    out.tone.WriteChannel(1, test::filled(127));
    EXPECT_TRUE(test::all_zero(out.pull(4800)));

    // Play replaces the buffers: the new ones are silent, and silent until played.
    out.tone.WriteChannel(0, sine_loop(15));
    ASSERT_TRUE(out.tone.InitSynth(0));
    EXPECT_TRUE(test::all_zero(out.pull(4800)));
    out.channel(0).Play();
    out.channel(1).Play();
    EXPECT_TRUE(test::all_zero(out.pull(4800)));
    out.tone.WriteChannel(0, sine_loop(15));
    EXPECT_GT(rms(out.pull(4800)), 0.1);
}

TEST(ToneOutput, SumsSaturateAtFullScale) {
    OfflineTone out;
    out.tone.WriteChannel(0, test::filled(255));
    out.tone.WriteChannel(1, test::filled(255));
    for (float v : out.pull(1000)) ASSERT_EQ(v, 1.0f);
    out.tone.WriteChannel(0, test::filled(0));
    out.tone.WriteChannel(1, test::filled(0));
    for (float v : out.pull(1000)) ASSERT_EQ(v, -1.0f);

    // Two loud tones: the sum is cut at full scale, never wrapped around.
    auto play = [](bool left, bool right) {
        OfflineTone one;
        if (left) one.tone.WriteChannel(0, sine_loop(15, 120));
        if (right) one.tone.WriteChannel(1, sine_loop(11, 120));
        one.channel(0).SetFrequency(9000);
        one.channel(1).SetFrequency(9000);
        return one.pull(4800);
    };
    const auto a = play(true, false);
    const auto b = play(false, true);
    const auto both = play(true, true);
    int clipped = 0;
    for (std::size_t i = 0; i < both.size(); ++i) {
        const float sum = a[i] + b[i];
        ASSERT_NEAR(both[i], std::clamp(sum, -1.0f, 1.0f), 1e-6f) << i;
        if (std::abs(sum) > 1.0f) ++clipped;
    }
    EXPECT_GT(clipped, 100);
}

TEST(ToneOutput, RefusedCallsKeepThePreviousSetting) {
    OfflineTone refused;
    OfflineTone plain;
    for (OfflineTone* out : {&refused, &plain}) {
        out->tone.WriteChannel(0, sine_loop(15));
        out->tone.WriteChannel(1, sine_loop(9));
        out->channel(0).SetFrequency(9000);
        out->channel(1).SetFrequency(12000);
        out->channel(0).SetPan(-4000);
        out->channel(1).SetPan(3000);
        out->primary().SetVolume(-600);
    }
    EXPECT_FALSE(refused.channel(0).SetFrequency(99));
    EXPECT_FALSE(refused.channel(0).SetFrequency(100001));
    EXPECT_FALSE(refused.channel(1).SetFrequency(0));
    EXPECT_FALSE(refused.channel(0).SetPan(-10001));
    EXPECT_FALSE(refused.channel(1).SetPan(10001));
    EXPECT_FALSE(refused.primary().SetVolume(1));
    EXPECT_FALSE(refused.primary().SetVolume(-10001));
    // A channel buffer has no volume, the primary buffer no rate or pan.
    EXPECT_FALSE(refused.channel(0).SetVolume(-3000));
    EXPECT_FALSE(refused.primary().SetFrequency(20000));
    EXPECT_FALSE(refused.primary().SetPan(-2000));
    // A write to no channel writes nothing; sample 179 never reaches the buffer.
    EXPECT_FALSE(refused.tone.WriteChannel(2, test::filled(255)));
    EXPECT_FALSE(refused.tone.WriteChannel(-1, test::filled(255)));
    SampleArray last_changed = sine_loop(9);
    last_changed[179] = 255;
    EXPECT_TRUE(refused.tone.WriteChannel(1, last_changed));
    EXPECT_EQ(refused.pull(9600), plain.pull(9600));

    // The ends of the ranges are accepted.
    EXPECT_TRUE(refused.channel(0).SetFrequency(100));
    EXPECT_TRUE(refused.channel(0).SetFrequency(100000));
    EXPECT_TRUE(refused.channel(0).SetPan(-10000));
    EXPECT_TRUE(refused.channel(1).SetPan(10000));
    EXPECT_TRUE(refused.primary().SetVolume(-10000));
    EXPECT_TRUE(refused.primary().SetVolume(0));
}

TEST(ToneOutput, ObserverSeesRefusedCallsToo) {
    struct Trace : ToneOutputObserver {
        std::vector<std::int32_t> rates, pans, volumes;
        int writes = 0;
        void frequency_set(int, std::int32_t hz) override { rates.push_back(hz); }
        void pan_set(int, std::int32_t pan) override { pans.push_back(pan); }
        void volume_set(std::int32_t volume) override { volumes.push_back(volume); }
        void channel_written(int, const SampleArray&) override { ++writes; }
    } trace;
    OfflineTone out;
    out.tone.observer = &trace;
    out.channel(0).SetFrequency(50);
    out.channel(1).SetFrequency(9000);
    out.channel(0).SetPan(20000);
    out.primary().SetVolume(5);
    out.tone.WriteChannel(1, sine_loop(3));
    EXPECT_EQ(trace.rates, (std::vector<std::int32_t>{50, 9000}));
    EXPECT_EQ(trace.pans, std::vector<std::int32_t>{20000});
    EXPECT_EQ(trace.volumes, std::vector<std::int32_t>{5});
    EXPECT_EQ(trace.writes, 1);
}

TEST(ToneOutput, PartsOfTheLoopAboveTheOutputsNyquistAreRemovedNotFoldedBack) {
    // At 100000 Hz, 15 turns sound at 8380 Hz and 60 turns at 33520 Hz, which a plain read
    // at 48000 Hz would fold back to 14480 Hz.
    SampleArray loop{};
    for (std::size_t i = 0; i < loop.size(); ++i) {
        const double a = 2.0 * std::numbers::pi * static_cast<double>(i) / kChannelBufferBytes;
        loop[i] = static_cast<std::uint8_t>(
            std::lround(127.0 + 60.0 * std::sin(15 * a) + 60.0 * std::sin(60 * a)));
    }
    OfflineTone out;
    out.tone.WriteChannel(0, loop);
    out.channel(0).SetFrequency(100000);
    // 2148 frames are 25 whole loops: each line falls on a bin, 22.35 Hz apart.
    const auto spectrum = test::spectrum(side(out.pull(2148), 0));
    const double amplitude = 60.0 / 128.0;
    EXPECT_NEAR(db(spectrum[375] / amplitude), 0.0, 0.01);  // 8380 Hz
    EXPECT_LT(db(spectrum[648] / amplitude), -90.0);        // 14480 Hz
}

}  // namespace
}  // namespace qv
