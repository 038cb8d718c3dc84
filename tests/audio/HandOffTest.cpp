#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

#include "ToneTestSupport.h"

namespace qv {
namespace {

// The UI thread rewrites a buffer while the device's thread mixes it. A block mixes one
// whole write or the next, never parts of two. Also run under ThreadSanitizer.
TEST(ToneHandOff, NoBlockMixesTwoWrites) {
    test::OfflineTone out;
    out.channel(0).SetFrequency(9000);
    const SampleArray low = test::filled(0);
    const SampleArray high = test::filled(255);
    constexpr float kLow = -127.0f / 128.0f;
    constexpr float kHigh = 1.0f;
    constexpr std::size_t kFrames = 64;
    constexpr int kEnough = 200;

    std::atomic<bool> writing{true};
    std::atomic<int> low_blocks{0};
    std::atomic<int> high_blocks{0};
    int mixed_blocks = 0;
    std::thread mixer([&] {
        std::vector<float> block(kFrames * 2);
        auto all_near = [&](float value) {
            for (float v : block) {
                if (std::abs(v - value) > 1e-5f) return false;
            }
            return true;
        };
        while (writing.load()) {
            out.device->pull(block.data(), kFrames);
            if (all_near(kLow)) {
                ++low_blocks;
            } else if (all_near(kHigh)) {
                ++high_blocks;
            } else if (!test::all_zero(block)) {
                ++mixed_blocks;
            }
        }
    });
    // Writes until the mixer has seen plenty of both. On a busy machine the two threads may
    // take turns on one core, so the writer also gives way now and then, after either kind.
    for (int i = 0; i < 5'000'000 && (low_blocks < kEnough || high_blocks < kEnough); ++i) {
        ASSERT_TRUE(out.tone.WriteChannel(0, i % 2 ? high : low));
        if (i % 101 == 0) std::this_thread::yield();
    }
    writing = false;
    mixer.join();

    EXPECT_EQ(mixed_blocks, 0);
    EXPECT_GE(low_blocks, kEnough);
    EXPECT_GE(high_blocks, kEnough);
}

}  // namespace
}  // namespace qv
