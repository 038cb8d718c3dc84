#include <gtest/gtest.h>

#include <algorithm>

#include "ToneTestSupport.h"

namespace qv::test {
namespace {

// Whole loops at both 9000 Hz and 8000 Hz, so that levels measured over them are exact.
constexpr std::size_t kWholeLoops = 8592;
// Volume and pan glide for 5 ms (240 frames) after each change.
constexpr std::size_t kGlide = 240;

TEST(ToneOutput, ToneSoundsAtRateTimesTurnsOver179FromTheNextBlock) {
    OfflineTone out;
    // Each new rate is measured on the very next second: a glide from the old rate or a
    // late change would show as a wrong frequency. 100000 Hz is read with the stretched kernel.
    for (auto [turns, rate] :
         {std::pair{15, 9000}, {1, 5000}, {15, 25100}, {60, 100}, {7, 40000}, {15, 100000}}) {
        ASSERT_TRUE(out.tone.WriteChannel(0, sine_loop(turns)));
        ASSERT_TRUE(out.channel(0).SetFrequency(rate));
        const auto left = side(out.pull(48000), 0);
        const double expected = rate * turns / 179.0;
        EXPECT_NEAR(frequency(left, kOutputRate), expected, expected * 1e-5)
            << turns << " turns at " << rate;
        EXPECT_NEAR(db(rms(left) * std::sqrt(2.0) / (100.0 / 128.0)), 0.0, 0.01)
            << turns << " turns at " << rate;
    }
}

TEST(ToneOutput, PanLowersTheFarSideAndVolumeScalesBothInHundredthsOfADecibel) {
    OfflineTone out;
    out.tone.WriteChannel(0, sine_loop(15));
    out.channel(0).SetFrequency(9000);
    const double full = rms(side(out.pull(kWholeLoops), 0));
    // pan, volume of buffer 0 alone: dB on the left, dB on the right
    struct Case {
        int pan, volume;
        double left, right;
    } cases[] = {{0, 0, 0, 0}, {-4000, 0, 0, -40}, {2500, 0, -25, 0}, {-4000, -990, -9.9, -49.9}};
    for (const Case& c : cases) {
        ASSERT_TRUE(out.channel(0).SetPan(c.pan));
        ASSERT_TRUE(out.primary().SetVolume(c.volume));
        out.pull(kGlide);
        const auto frames = out.pull(kWholeLoops);
        EXPECT_NEAR(db(rms(side(frames, 0)) / full), c.left, 0.001) << c.pan << " " << c.volume;
        EXPECT_NEAR(db(rms(side(frames, 1)) / full), c.right, 0.001) << c.pan << " " << c.volume;
    }
    // At the ends of the ranges silence is exact, not just 100 dB down.
    ASSERT_TRUE(out.channel(0).SetPan(-10000));
    out.pull(kGlide);
    EXPECT_TRUE(all_zero(side(out.pull(kWholeLoops), 1)));
    ASSERT_TRUE(out.primary().SetVolume(-10000));
    out.pull(kGlide);
    EXPECT_TRUE(all_zero(out.pull(kWholeLoops)));
    // The other channel buffer keeps its own pan, in the middle; silence by volume does
    // not stop the loops.
    out.tone.WriteChannel(1, sine_loop(15));
    out.channel(1).SetFrequency(9000);
    ASSERT_TRUE(out.primary().SetVolume(0));
    out.pull(kGlide);
    EXPECT_NEAR(db(rms(side(out.pull(kWholeLoops), 1)) / full), 0.0, 0.001);
}

TEST(ToneOutput, RestLevelAndNewBuffersAreExactSilence) {
    OfflineTone out;
    out.channel(0).SetFrequency(9000);
    EXPECT_TRUE(all_zero(out.pull(4800))) << "a new buffer holds the rest level";
    out.tone.WriteChannel(0, sine_loop(15));
    out.tone.WriteChannel(1, sine_loop(7));
    EXPECT_GT(rms(out.pull(4800)), 0.1);
    out.tone.WriteChannel(0, filled(127));
    out.tone.WriteChannel(1, filled(127));
    EXPECT_TRUE(all_zero(out.pull(4800)));
    // Play replaces the buffers: the new ones are silent until written.
    out.tone.WriteChannel(0, sine_loop(15));
    ASSERT_TRUE(out.tone.InitSynth(0));
    out.channel(0).Play();
    EXPECT_TRUE(all_zero(out.pull(4800)));
}

TEST(ToneOutput, BothBuffersAddUpAndTheSumSaturatesAtFullScale) {
    auto play = [](const SampleArray& left, const SampleArray& right) {
        OfflineTone one;
        one.tone.WriteChannel(0, left);
        one.tone.WriteChannel(1, right);
        one.channel(0).SetFrequency(9000);
        one.channel(1).SetFrequency(9000);
        return one.pull(4800);
    };
    for (float v : play(filled(255), filled(255))) ASSERT_EQ(v, 1.0f);
    for (float v : play(filled(0), filled(0))) ASSERT_EQ(v, -1.0f);
    // Two loud tones: the sum is cut at full scale, never wrapped around.
    const auto a = play(sine_loop(15, 120), filled(127));
    const auto b = play(filled(127), sine_loop(11, 120));
    const auto both = play(sine_loop(15, 120), sine_loop(11, 120));
    int clipped = 0;
    for (std::size_t i = 0; i < both.size(); ++i) {
        ASSERT_NEAR(both[i], std::clamp(a[i] + b[i], -1.0f, 1.0f), 1e-6f) << i;
        clipped += std::abs(a[i] + b[i]) > 1.0f;
    }
    EXPECT_GT(clipped, 100);
}

TEST(ToneOutput, RefusedCallsKeepThePreviousSetting) {
    OfflineTone refused, plain;
    for (OfflineTone* out : {&refused, &plain}) {
        out->tone.WriteChannel(0, sine_loop(15));
        out->tone.WriteChannel(1, sine_loop(9));
        out->channel(0).SetFrequency(9000);
        out->channel(1).SetFrequency(12000);
        out->channel(0).SetPan(-4000);
        out->channel(1).SetPan(3000);
        out->primary().SetVolume(-600);
    }
    SoundBuffer &ch = refused.channel(0), &primary = refused.primary();
    // The renderer's trace records what the program asked for, refused or not.
    struct : ToneOutputObserver {
        int rates = 0;
        void frequency_set(int, std::int32_t) override { ++rates; }
    } seen;
    refused.tone.observer = &seen;
    for (int hz : {99, 100001, 0}) EXPECT_FALSE(ch.SetFrequency(hz)) << hz;
    EXPECT_EQ(seen.rates, 3);
    refused.tone.observer = nullptr;
    for (int pan : {-10001, 10001}) EXPECT_FALSE(ch.SetPan(pan)) << pan;
    for (int volume : {1, -10001}) EXPECT_FALSE(primary.SetVolume(volume)) << volume;
    // A channel buffer has no volume, the primary buffer no rate or pan.
    EXPECT_FALSE(ch.SetVolume(-3000));
    EXPECT_FALSE(primary.SetFrequency(20000));
    EXPECT_FALSE(primary.SetPan(-2000));
    // A write to no channel writes nothing; sample 179 never reaches the buffer.
    EXPECT_FALSE(refused.tone.WriteChannel(2, filled(255)));
    EXPECT_FALSE(refused.tone.WriteChannel(-1, filled(255)));
    SampleArray last_changed = sine_loop(9);
    last_changed[179] = 255;
    EXPECT_TRUE(refused.tone.WriteChannel(1, last_changed));
    EXPECT_EQ(refused.pull(9600), plain.pull(9600));

    EXPECT_TRUE(ch.SetFrequency(100) && ch.SetFrequency(100000));
    EXPECT_TRUE(ch.SetPan(-10000) && ch.SetPan(10000));
    EXPECT_TRUE(primary.SetVolume(-10000) && primary.SetVolume(0));
}

}  // namespace
}  // namespace qv::test
