#include <gtest/gtest.h>
#include <samplerate.h>

#include "ToneTestSupport.h"

namespace qv {
namespace {

using test::db;
using test::side;

constexpr int kTurns = 15;
constexpr int kRate = 9000;
// 2864 frames at 48000 Hz are exactly three loops at 9000 Hz, so every line of the
// output falls on a bin of a DFT over them and nothing leaks between bins.
constexpr std::size_t kFrames = 2864;
constexpr double kBinHz = test::kOutputRate / kFrames;

// libsamplerate's best converter fed the same loop, over and over.
std::vector<float> reference(const SampleArray& bytes) {
    std::vector<float> input;
    for (int loop = 0; loop < 100; ++loop) {
        for (int i = 0; i < kChannelBufferBytes; ++i)
            input.push_back((bytes[static_cast<std::size_t>(i)] - 127.0f) / 128.0f);
    }
    const double ratio = test::kOutputRate / kRate;
    std::vector<float> output(static_cast<std::size_t>(static_cast<double>(input.size()) * ratio));
    SRC_DATA data{};
    data.data_in = input.data();
    data.input_frames = static_cast<long>(input.size());
    data.data_out = output.data();
    data.output_frames = static_cast<long>(output.size());
    data.src_ratio = ratio;
    EXPECT_EQ(src_simple(&data, SRC_SINC_BEST_QUALITY, 1), 0);
    // Well past the converter's start-up.
    const std::size_t from = kFrames * 10;
    EXPECT_GT(static_cast<std::size_t>(data.output_frames_gen), from + kFrames);
    return {output.begin() + static_cast<long>(from),
            output.begin() + static_cast<long>(from + kFrames)};
}

TEST(ConversionFidelity, PureSineHasNoImagesAndMatchesTheBestReferenceConverter) {
    const SampleArray loop = test::sine_loop(kTurns, 127.0);
    test::OfflineTone out;
    out.tone.WriteChannel(0, loop);
    out.channel(0).SetFrequency(kRate);
    out.pull(1000);
    const auto ours = test::spectrum(side(out.pull(kFrames), 0));
    const auto theirs = test::spectrum(reference(loop));

    const std::size_t tone_bin = 45;  // 754.19 Hz
    ASSERT_NEAR(tone_bin * kBinHz, kRate * kTurns / 179.0, 1e-9);
    const double tone = ours[tone_bin];
    EXPECT_NEAR(db(tone / theirs[tone_bin]), 0.0, 0.1);

    // Below 0.4 of the rate: the tone and the loop's own faint lines (its bytes are
    // rounded) are all there, at the reference's levels; between them there is nothing.
    // Above 0.6 of the rate: no image of any of them.
    int lines = 0;
    double worst_image = -400.0;
    for (std::size_t bin = 1; bin < ours.size(); ++bin) {
        const double hz = static_cast<double>(bin) * kBinHz;
        const double level = db(ours[bin] / tone);
        const double expected = db(theirs[bin] / tone);
        if (hz < 0.4 * kRate) {
            if (expected > -120.0) {
                ++lines;
                EXPECT_NEAR(level, expected, 0.1) << hz << " Hz";
            } else {
                EXPECT_LT(level, -120.0) << hz << " Hz";
            }
        } else if (hz > 0.6 * kRate) {
            EXPECT_LT(level, -90.0) << hz << " Hz";
            worst_image = std::max(worst_image, level);
        }
    }
    // Every harmonic of the loop (179 / 9000 s long, so 50.28 Hz apart) below 3600 Hz.
    EXPECT_EQ(lines, 71);
    RecordProperty("worst_image_db", std::to_string(worst_image));
}

}  // namespace
}  // namespace qv
