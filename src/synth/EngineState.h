#pragma once

#include "audio/modSynth_DX7.h"

namespace qv {

// What the synthesis keeps from one tick to the next, held by the main window. The phases
// and the count are 32-bit floats that start at 0; Stop sets both phases back to 0.
struct EngineState {
    float amPhase = 0;     // AM modulator phase, radians; back to 0 once it exceeds 9000
    float shiftPhase = 0;  // shift modulator phase, radians; back to 0 once it exceeds 9000
    float switchTick = 0;  // ticks counted for the channel switching; back to 0 above 9000
    // Both ears' sample bytes as the last tick left them: a sample beyond the byte range
    // is not stored, and its byte keeps an earlier tick's value.
    SampleArray leftBytes{};
    SampleArray rightBytes{};
};

}  // namespace qv
