#include <gtest/gtest.h>
#include <samplerate.h>

#include "ToneTestSupport.h"

namespace qv::test {
namespace {

// 2864 frames at 48000 Hz are exactly three loops at 9000 Hz, so every line of the
// output falls on a bin of a DFT over them and nothing leaks between bins.
constexpr int kRate = 9000;
constexpr std::size_t kFrames = 2864;

// libsamplerate's best converter fed the same loop over and over, well past its start-up.
std::vector<float> reference(const SampleArray& bytes) {
    std::vector<float> input;
    for (int loop = 0; loop < 100; ++loop)
        for (int i = 0; i < kChannelBufferBytes; ++i)
            input.push_back((bytes[std::size_t(i)] - 127.0f) / 128.0f);
    const double ratio = kOutputRate / kRate;
    std::vector<float> output(static_cast<std::size_t>(double(input.size()) * ratio));
    SRC_DATA data{input.data(), output.data(), long(input.size()), long(output.size()), 0, 0, 0,
                  ratio};
    EXPECT_EQ(src_simple(&data, SRC_SINC_BEST_QUALITY, 1), 0);
    EXPECT_GT(std::size_t(data.output_frames_gen), 11 * kFrames);
    return {output.begin() + 10 * kFrames, output.begin() + 11 * kFrames};
}

TEST(ConversionFidelity, PureSineHasNoImagesAndMatchesTheBestReferenceConverter) {
    const SampleArray loop = sine_loop(15, 127.0);
    OfflineTone out;
    out.tone.WriteChannel(0, loop);
    out.channel(0).SetFrequency(kRate);
    out.pull(1000);
    const auto ours = spectrum(side(out.pull(kFrames), 0));
    const auto theirs = spectrum(reference(loop));
    const double tone = ours[45];  // 754.19 Hz
    EXPECT_NEAR(db(tone / theirs[45]), 0.0, 0.1);
    // Below 0.4 of the rate: the tone and the loop's own faint lines (its bytes are
    // rounded) at the reference's levels, nothing between them. Above 0.6: no image.
    int lines = 0;
    for (std::size_t bin = 1; bin < ours.size(); ++bin) {
        const double hz = double(bin) * kOutputRate / kFrames, level = db(ours[bin] / tone);
        const double expected = db(theirs[bin] / tone);
        if (hz < 0.4 * kRate && expected > -120.0) {
            ++lines;
            EXPECT_NEAR(level, expected, 0.1) << hz << " Hz";
        } else if (hz < 0.4 * kRate) {
            EXPECT_LT(level, -120.0) << hz << " Hz";
        } else if (hz > 0.6 * kRate) {
            EXPECT_LT(level, -90.0) << hz << " Hz";
        }
    }
    EXPECT_EQ(lines, 71);  // every harmonic of the loop (50.28 Hz apart) below 3600 Hz
}

TEST(ConversionFidelity, PartsOfTheLoopAboveTheOutputsNyquistAreRemovedNotFoldedBack) {
    // At 100000 Hz, 15 turns sound at 8380 Hz and 60 turns at 33520 Hz, which a plain read
    // at 48000 Hz would fold back to 14480 Hz.
    SampleArray loop{};
    for (std::size_t i = 0; i < loop.size(); ++i) {
        const double a = 2.0 * std::numbers::pi * double(i) / kChannelBufferBytes;
        loop[i] =
            std::uint8_t(std::lround(127.0 + 60.0 * std::sin(15 * a) + 60.0 * std::sin(60 * a)));
    }
    OfflineTone out;
    out.tone.WriteChannel(0, loop);
    out.channel(0).SetFrequency(100000);
    // 2148 frames are 25 whole loops: each line falls on a bin, 22.35 Hz apart.
    const auto lines = spectrum(side(out.pull(2148), 0));
    EXPECT_NEAR(db(lines[375] / (60.0 / 128.0)), 0.0, 0.01);  // 8380 Hz
    EXPECT_LT(db(lines[648] / (60.0 / 128.0)), -90.0);        // 14480 Hz
}

}  // namespace
}  // namespace qv::test
