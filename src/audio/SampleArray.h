#pragma once

#include <array>
#include <cstdint>

#include "audio/LoopVoice.h"

namespace qv {

// A channel's sample array: 180 unsigned 8-bit samples, 127 the rest level. Elements
// 0..178 are played; element 179 is computed and drawn but never reaches the device.
using SampleArray = std::array<std::uint8_t, 180>;
inline constexpr int kChannelBufferBytes = kLoopLength;
inline constexpr std::uint8_t kRestLevel = 127;

}  // namespace qv
