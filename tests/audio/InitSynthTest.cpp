#include <gtest/gtest.h>

#include "ToneTestSupport.h"

namespace qv::test {
namespace {

TEST(InitSynth, NoDeviceAtStartUpLeavesEverythingEmptyAndSaysWhy) {
    auto backend = std::make_unique<FailingBackend>();
    backend->open_failure = "no default output device";
    modSynth_DX7 tone(std::move(backend));
    EXPECT_FALSE(tone.InitSynth(0));
    EXPECT_EQ(tone.failure(), "no default output device");
    EXPECT_TRUE(!tone.primaryBuffer() && !tone.channelBuffer(0) && !tone.channelBuffer(1) &&
                !tone.soundDevice());
    EXPECT_FALSE(tone.WriteChannel(0, sine_loop(15)));
}

// Play opens the device again. When that fails nothing is released: the buffers take
// every call, the time line goes on silently, and the next Play recovers.
TEST(InitSynth, DeviceThatWillNotOpenOnPlayReleasesNothingAndTheNextPlayRecovers) {
    OfflineTone out;
    SoundBuffer* before[] = {out.tone.primaryBuffer(), out.tone.channelBuffer(0),
                             out.tone.channelBuffer(1)};
    out.device->open_failure = "Device unavailable";
    EXPECT_FALSE(out.tone.InitSynth(0));
    EXPECT_EQ(out.tone.failure(), "Device unavailable");
    SoundBuffer* after[] = {out.tone.primaryBuffer(), out.tone.channelBuffer(0),
                            out.tone.channelBuffer(1)};
    EXPECT_TRUE(std::equal(before, before + 3, after));
    EXPECT_NE(out.tone.soundDevice(), nullptr);
    EXPECT_TRUE(out.tone.WriteChannel(0, sine_loop(7)));
    EXPECT_TRUE(out.channel(0).SetFrequency(9000));
    EXPECT_TRUE(all_zero(out.pull(4800)));  // the old stream was closed first

    out.device->open_failure.clear();
    ASSERT_TRUE(out.tone.InitSynth(0));
    EXPECT_EQ(out.tone.failure(), "");
    out.channel(0).Play();
    out.tone.WriteChannel(0, sine_loop(15));
    EXPECT_GT(rms(out.pull(4800)), 0.1);
}

TEST(InitSynth, DeviceThatWillNotStartReleasesBothChannelBuffersAndTheDeviceNotThePrimary) {
    OfflineTone out;
    out.device->start_failure = "Invalid sample rate";
    EXPECT_FALSE(out.tone.InitSynth(0));
    EXPECT_EQ(out.tone.failure(), "Invalid sample rate");
    EXPECT_TRUE(!out.tone.channelBuffer(0) && !out.tone.channelBuffer(1) &&
                !out.tone.soundDevice());
    ASSERT_NE(out.tone.primaryBuffer(), nullptr);
    EXPECT_TRUE(out.tone.primaryBuffer()->SetVolume(-500));
    EXPECT_FALSE(out.tone.WriteChannel(0, sine_loop(15)));
    EXPECT_TRUE(all_zero(out.pull(4800)));

    out.device->start_failure.clear();
    ASSERT_TRUE(out.tone.InitSynth(0));
    out.channel(0).Play();
    out.tone.WriteChannel(0, sine_loop(15));
    EXPECT_GT(rms(out.pull(4800)), 0.1);
}

}  // namespace
}  // namespace qv::test
