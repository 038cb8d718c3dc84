#pragma once

namespace qv {

// What the synthesis keeps from one tick to the next, held by the main window. All three
// are 32-bit floats and start at 0; Stop sets both phases back to 0.
struct EngineState {
    float amPhase = 0;     // AM modulator phase, radians; back to 0 once it exceeds 9000
    float shiftPhase = 0;  // shift modulator phase, radians; back to 0 once it exceeds 9000
    float switchTick = 0;  // ticks counted for the channel switching; back to 0 above 9000
};

}  // namespace qv
