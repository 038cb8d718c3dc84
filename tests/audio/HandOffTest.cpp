#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "ToneTestSupport.h"

namespace qv::test {
namespace {

// The UI thread rewrites a buffer while the device's thread mixes it. A block mixes one
// whole write or the next, never parts of two. CI also runs this under ThreadSanitizer.
TEST(ToneHandOff, NoBlockMixesTwoWrites) {
    OfflineTone out;
    out.channel(0).SetFrequency(9000);
    const SampleArray writes[] = {filled(0), filled(255)};
    constexpr int kEnough = 200;
    std::atomic<bool> writing{true};
    std::atomic<int> blocks[2] = {0, 0};
    int mixed_blocks = 0;
    std::thread mixer([&] {
        std::vector<float> block(64 * 2);
        auto all_near = [&](float value) {
            return std::all_of(block.begin(), block.end(),
                               [&](float v) { return std::abs(v - value) < 1e-5f; });
        };
        while (writing) {
            out.device->pull(block.data(), 64);
            if (all_near(-127.0f / 128.0f))
                ++blocks[0];
            else if (all_near(1.0f))
                ++blocks[1];
            else if (!all_zero(block))  // before the first write
                ++mixed_blocks;
        }
    });
    // On a busy machine the two threads may take turns on one core, so the writer also
    // gives way now and then, after either kind.
    for (int i = 0; i < 5'000'000 && (blocks[0] < kEnough || blocks[1] < kEnough); ++i) {
        ASSERT_TRUE(out.tone.WriteChannel(0, writes[i % 2]));
        if (i % 101 == 0) std::this_thread::yield();
    }
    writing = false;
    mixer.join();
    EXPECT_EQ(mixed_blocks, 0);
    EXPECT_GE(blocks[0], kEnough);
    EXPECT_GE(blocks[1], kEnough);
}

}  // namespace
}  // namespace qv::test
