#pragma once

#include <array>
#include <cstdint>

namespace qv {

// Samples in one channel buffer's loop.
inline constexpr int kLoopLength = 179;

// One channel buffer as the mixer reads it.
struct LoopVoice {
    std::array<std::uint8_t, kLoopLength> bytes{};
    std::int32_t rate = 0;  // playback rate of the loop, samples per second
    float left_gain = 0.0f;
    float right_gain = 0.0f;
    bool playing = false;
    // The loop holds something besides the rest level.
    bool sounding = false;
};

}  // namespace qv
