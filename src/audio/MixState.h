#pragma once

#include <array>
#include <cstdint>

#include "audio/LoopVoice.h"
#include "audio/NoiseBed.h"

namespace qv {

// Everything the mixer needs for one block: the UI thread publishes it whole.
struct MixState {
    std::array<LoopVoice, 2> voices{};
    NoiseColour noise = NoiseColour::Off;
    float noise_gain = 0.0f;  // the master volume times the noise's level
    std::uint32_t take = 0;   // counts the mixer's start_over calls
};

}  // namespace qv
