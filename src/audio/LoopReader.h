#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "audio/LoopKernel.h"
#include "audio/MixState.h"

namespace qv {

// Reads one looping channel buffer at its playback rate, band-limited, into mono float
// samples at the output rate (on the mixing thread). It keeps the loop's play position
// and, prepared whenever the buffer's bytes change, the loop as floats and the dense loop
// with four times the points.
class LoopReader {
public:
    // Position in loop samples as 32.32 fixed point: exact enough that a tone keeps its
    // pitch to a billionth, and the loop wraps without drift.
    static constexpr int kFractionBits = 32;
    static constexpr std::uint64_t kLoopEnd = static_cast<std::uint64_t>(kLoopLength)
                                              << kFractionBits;

    void restart() { position_ = 0; }
    // Takes the buffer's bytes; the work is done only when they changed.
    void load(const std::array<std::uint8_t, kLoopLength>& bytes);

    // `count` outputs, `step` loop samples (32.32) apart. With `scale` 1 they come from the
    // dense loop; below 1 the long kernel, stretched by 1 / scale, reads the loop itself,
    // for a loop played so fast that it would reach past the output's Nyquist frequency.
    void read(std::uint64_t step, double scale, float* out, std::size_t count);
    // Moves on as if `count` outputs had been read.
    void skip(std::uint64_t step, std::size_t count) {
        position_ = (position_ + step * count) % kLoopEnd;
    }

private:
    static constexpr int kLead = LoopKernel::kTaps / 2 - 1;
    static constexpr int kDenseLength = kLoopLength * LoopKernel::kOversampling;
    static constexpr int kDenseLead = LoopKernel::kReadTaps / 2 - 1;

    void read_stretched(std::uint64_t step, double scale, float* out, std::size_t count);

    std::uint64_t position_ = 0;
    bool loaded_ = false;
    std::array<std::uint8_t, kLoopLength> bytes_{};
    // The loop with its last kLead samples before its start and its first kTaps / 2 after
    // its end, so a kernel reads across the join in one piece; likewise the dense loop.
    std::array<float, kLoopLength + LoopKernel::kTaps - 1> loop_{};
    alignas(32) std::array<float, kDenseLength + LoopKernel::kReadTaps - 1> dense_{};
};

}  // namespace qv
