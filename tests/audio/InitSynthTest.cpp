#include <gtest/gtest.h>

#include "ToneTestSupport.h"

namespace qv {
namespace {

using test::OfflineTone;
using test::sine_loop;

TEST(InitSynth, NoDeviceAtStartUpLeavesEverythingEmptyAndSaysWhy) {
    auto backend = std::make_unique<FailingBackend>();
    backend->open_failure = "no default output device";
    modSynth_DX7 tone(std::move(backend));
    EXPECT_FALSE(tone.InitSynth(0));
    EXPECT_EQ(tone.failure(), "no default output device");
    EXPECT_EQ(tone.primaryBuffer(), nullptr);
    EXPECT_EQ(tone.channelBuffer(0), nullptr);
    EXPECT_EQ(tone.channelBuffer(1), nullptr);
    EXPECT_EQ(tone.soundDevice(), nullptr);
    EXPECT_FALSE(tone.WriteChannel(0, sine_loop(15)));
}

TEST(InitSynth, DeviceThatWillNotOpenOnPlayReleasesNothingAndTheNextPlayRecovers) {
    OfflineTone out;
    out.tone.WriteChannel(0, sine_loop(15));
    out.channel(0).SetFrequency(9000);
    ASSERT_GT(test::rms(out.pull(4800)), 0.1);
    SoundBuffer* primary = out.tone.primaryBuffer();
    SoundBuffer* left = out.tone.channelBuffer(0);
    SoundBuffer* right = out.tone.channelBuffer(1);

    out.device->open_failure = "Device unavailable";
    EXPECT_FALSE(out.tone.InitSynth(0));
    EXPECT_EQ(out.tone.failure(), "Device unavailable");
    EXPECT_EQ(out.tone.primaryBuffer(), primary);
    EXPECT_EQ(out.tone.channelBuffer(0), left);
    EXPECT_EQ(out.tone.channelBuffer(1), right);
    EXPECT_NE(out.tone.soundDevice(), nullptr);
    // The old stream was closed to open the device again: the time line goes on silently,
    // and the buffers still take every call.
    EXPECT_TRUE(test::all_zero(out.pull(4800)));
    EXPECT_TRUE(out.tone.WriteChannel(0, sine_loop(7)));
    EXPECT_TRUE(out.channel(1).SetFrequency(8000));

    out.device->open_failure.clear();
    ASSERT_TRUE(out.tone.InitSynth(0));
    EXPECT_EQ(out.tone.failure(), "");
    out.channel(0).Play();
    out.channel(1).Play();
    out.tone.WriteChannel(0, sine_loop(15));
    EXPECT_GT(test::rms(out.pull(4800)), 0.1);
}

TEST(InitSynth, DeviceThatWillNotStartReleasesBothChannelBuffersAndTheDeviceNotThePrimary) {
    OfflineTone out;
    out.device->start_failure = "Invalid sample rate";
    EXPECT_FALSE(out.tone.InitSynth(0));
    EXPECT_EQ(out.tone.failure(), "Invalid sample rate");
    EXPECT_EQ(out.tone.channelBuffer(0), nullptr);
    EXPECT_EQ(out.tone.channelBuffer(1), nullptr);
    EXPECT_EQ(out.tone.soundDevice(), nullptr);
    ASSERT_NE(out.tone.primaryBuffer(), nullptr);
    EXPECT_TRUE(out.tone.primaryBuffer()->SetVolume(-500));
    EXPECT_FALSE(out.tone.WriteChannel(0, sine_loop(15)));
    EXPECT_TRUE(test::all_zero(out.pull(4800)));

    out.device->start_failure.clear();
    ASSERT_TRUE(out.tone.InitSynth(0));
    out.channel(0).Play();
    out.tone.WriteChannel(0, sine_loop(15));
    EXPECT_GT(test::rms(out.pull(4800)), 0.1);
}

TEST(InitSynth, ReleaseDropsBothChannelBuffersAndTheDevice) {
    OfflineTone out;
    out.tone.WriteChannel(0, sine_loop(15));
    out.tone.Release();
    EXPECT_EQ(out.tone.channelBuffer(0), nullptr);
    EXPECT_EQ(out.tone.channelBuffer(1), nullptr);
    EXPECT_EQ(out.tone.soundDevice(), nullptr);
    EXPECT_NE(out.tone.primaryBuffer(), nullptr);
    EXPECT_TRUE(test::all_zero(out.pull(4800)));
}

}  // namespace
}  // namespace qv
