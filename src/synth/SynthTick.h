#pragma once

#include "audio/modSynth_DX7.h"
#include "controls/PictureBox.h"
#include "params/Panel.h"
#include "synth/EngineState.h"
#include "synth/NTable.h"

namespace qv {

// The synthesis tick. Every period of Timer1 it reads the parameter panel afresh, runs the
// AM modulator, the switching clock and the shift modulator, rewrites the value texts,
// computes 180 samples per ear, plots the four waveform views and hands the tone output
// its volume, rates, pans and both buffers. The arithmetic is in synth/Synthesis.h; this
// is the order in which the controls are read and written.
//
// It writes the modulator outputs and the value texts through the controls, so their
// change handling runs nested inside the tick as it does for a user, and reads a modulated
// slider back after writing it, since the slider may have refused the value. A statement
// that fails (a value the slider refuses, a phase text that is no number, a division by a
// zero step, a byte outside 0..255, a tone output call that is refused) is skipped on its
// own and leaves its target as it was; the rest of the tick goes on.
class SynthTick {
public:
    // The four waveform views, in the order in which every sample plots into them.
    struct Views {
        PictureBox& WF1PB;  // left ear, as played
        PictureBox& WF2PB;  // right ear, as played
        PictureBox& WF3PB;  // left ear, one turn of the fundamental
        PictureBox& WF4PB;  // right ear, one turn of the fundamental
    };

    SynthTick(Panel& panel, Views views, modSynth_DX7& toneOutput);
    SynthTick(const SynthTick&) = delete;
    SynthTick& operator=(const SynthTick&) = delete;

    void Timer1_Timer();
    // Start-up and Play build the angle table afresh.
    void build_angles() { BuildNTable(NTable); }
    // Stop: the AM and shift modulators start again from phase 0.
    void reset_modulator_phases() { engine.amPhase = engine.shiftPhase = 0; }
    const EngineState& state() const { return engine; }
    // For tests that must start the modulators at a given phase; nothing else writes here.
    EngineState& state_for_tests() { return engine; }

private:
    Panel& panel_;
    Views views_;
    modSynth_DX7& toneOutput_;
    NTableArray NTable{};
    // The modulator phases, the switching count and the sample bytes, kept between ticks.
    EngineState engine;
};

}  // namespace qv
