// Volume, pan and the output's fades glide instead of stepping, so that none is a click.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "ToneTestSupport.h"

namespace qv::test {
namespace {

// The largest change from one sample to the next on one side.
float largest_step(const std::vector<float>& x) {
    float most = 0;
    for (std::size_t i = 1; i < x.size(); ++i) most = std::max(most, std::abs(x[i] - x[i - 1]));
    return most;
}

TEST(GainStage, VolumeAndPanStepsGlideWithinFiveMilliseconds) {
    OfflineTone out;
    out.tone.WriteChannel(0, sine_loop(15));
    out.channel(0).SetFrequency(9000);
    auto before = out.pull(8592);
    const float own = largest_step(side(before, 0));
    const double full = rms(side(before, 0));
    // Full volume to -40 dB and back, then the buffer from the middle to the right ear.
    for (auto [volume, pan, left_db] :
         {std::tuple{-4000, 0, -40.0}, {0, 0, 0.0}, {0, 10000, -1e9}}) {
        out.primary().SetVolume(volume);
        out.channel(0).SetPan(pan);
        auto around = out.pull(240);  // the glide, after the frame before it
        around.insert(around.begin(), before.end() - 2, before.end());
        for (int ear : {0, 1}) EXPECT_LE(largest_step(side(around, ear)), own * 1.01f) << volume;
        before = out.pull(8592);  // and then the new level at once
        const double level = rms(side(before, 0));
        EXPECT_NEAR(level == 0 ? -1e9 : db(level / full), left_db, 0.01) << volume << " " << pan;
    }
}

TEST(GainStage, TheOutputFadesInAndOutInAStraightLine) {
    ToneMixer mixer(48000, 0.0f);  // a device that fades in
    MixState& state = mixer.next_state();
    LoopVoice& voice = state.voices[0];
    voice.bytes.fill(255);  // held high, so that the gain shows in every sample
    voice.rate = 48000;
    voice.left_gain = voice.right_gain = 1.0f;
    voice.playing = true;
    mixer.publish();
    std::vector<float> block(2 * 960);
    mixer.render_block(block.data(), 960);
    EXPECT_TRUE(all_zero(block)) << "a silent mixer stays silent until it is told";

    mixer.fade_to(1.0f, 0.010);
    mixer.render_block(block.data(), 960);
    const auto left = side(block, 0);
    const float full = left.back();
    EXPECT_NEAR(left[239], full / 2, full * 0.01);  // half way after half the time
    EXPECT_EQ(left[479], full);
    EXPECT_FALSE(mixer.faded_out());

    mixer.fade_to(0.0f, 0.010);
    mixer.render_block(block.data(), 480);
    EXPECT_EQ(block[2 * 479], 0.0f);
    EXPECT_TRUE(mixer.faded_out());
}

}  // namespace
}  // namespace qv::test
