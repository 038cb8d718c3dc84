#pragma once

#include <array>

namespace qv {

// The Kaiser-windowed sinc kernels the mixer reads the looping channel buffers with, as
// precomputed polyphase tables. A channel buffer is a short periodic loop, so a kernel
// simply wraps around it.
//
// Reading is done in two steps. Whenever a buffer's content changes, the 32-tap kernel
// fills in three points between every two samples of the loop (four times the points):
// flat up to 0.4 of the loop's playback rate, below -95 dB from 0.6 of it. Each output
// then reads that dense loop with a short 8-tap kernel, which has only the images of the
// dense loop, far above the tone, to remove. Together: a tone below 0.4 of the rate
// comes out within 0.01 dB, its images at least 95 dB below it.
class LoopKernel {
public:
    static constexpr int kTaps = 32;
    static constexpr int kOversampling = 4;
    static constexpr int kReadTaps = 8;
    static constexpr int kReadPhases = 64;

    static const LoopKernel& instance();

    // Taps for the point q / kOversampling of a sample after loop sample n: tap j weighs
    // sample n - (kTaps / 2 - 1) + j. Row 0 is the sample itself.
    const float* fill_row(int q) const { return fill_rows_[static_cast<std::size_t>(q)].data(); }

    // Taps for reading the dense loop p / kReadPhases of a sample after its sample n: tap j
    // weighs sample n - (kReadTaps / 2 - 1) + j. The first kReadTaps values are the taps at
    // phase p, the next kReadTaps what they change by up to phase p + 1.
    const float* read_row(int p) const {
        return &read_rows_[static_cast<std::size_t>(p) * 2 * kReadTaps];
    }

    // The 32-tap kernel at `distance` loop samples from its centre, for loops played so
    // fast that the kernel has to be stretched to stay below the output's Nyquist frequency.
    float at(double distance) const;

private:
    static constexpr int kCurvePhases = 128;

    LoopKernel();

    std::array<std::array<float, kTaps>, kOversampling> fill_rows_{};
    alignas(64) std::array<float, kReadPhases * 2 * kReadTaps> read_rows_{};
    std::array<float, kTaps * kCurvePhases + 1> curve_{};
};

}  // namespace qv
