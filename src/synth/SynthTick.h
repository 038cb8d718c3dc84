#pragma once

#include <array>
#include <cstdint>

#include "audio/modSynth_DX7.h"
#include "controls/PictureBox.h"
#include "params/Panel.h"
#include "synth/EngineState.h"
#include "synth/NTable.h"

namespace qv {

// Frequency ratios of the four sine partials of each ear to its fundamental.
inline constexpr std::array<double, 4> kPartialRatio = {1, 1.333, 1.666, 1.999};

// The synthesis tick. Every period of Timer1 it reads the parameter panel afresh, runs the
// AM modulator, the switching clock and the shift modulator, rewrites the value texts,
// computes 180 samples per ear into the sample arrays, plots the four waveform views and
// hands the tone output its volume, rates, pans and both buffers.
//
// It writes the modulator outputs sc(22..25) and the texts tx(0..23) through the
// controls, so their change handling runs nested inside the tick as it does for a user.
// A statement that fails (a value the slider refuses, a phase text that is no number, a
// division by a zero step, a byte outside 0..255, a tone output call that is refused) is
// skipped on its own and leaves its target as it was; the rest of the tick goes on.
class SynthTick {
public:
    // The four waveform views, in the order in which every sample plots into them.
    struct Views {
        PictureBox& WF1PB;  // left ear, as played
        PictureBox& WF2PB;  // right ear, as played
        PictureBox& WF3PB;  // left ear, one turn of the fundamental
        PictureBox& WF4PB;  // right ear, one turn of the fundamental
    };

    SynthTick(Panel& panel, Views views, modSynth_DX7& toneOutput, const NTableArray& NTable,
              EngineState& state);
    SynthTick(const SynthTick&) = delete;
    SynthTick& operator=(const SynthTick&) = delete;

    void Timer1_Timer();

private:
    // Values that live for one tick only; those a failing statement leaves unset count as 0.
    struct Tick {
        int ampL = 0, ampR = 0;
        float stepL = 0, stepR = 0;
        float viewStepL = 0, viewStepR = 0;
        // A shift offset holds the modulator's sine until its division by the step
        // replaces it; with a zero step the sine stays.
        double shiftOffsetL = 0, shiftOffsetR = 0;
        std::array<double, 4> phaseL{}, phaseR{};
        std::int32_t freqL = 0;
        double freqR = 0;
    };

    void clear_views();
    void master_volume();
    static void angle_steps(Tick& t, int N);
    void am_block();
    void switching_clock();
    void channel_amplitudes(Tick& t);
    void shift_block(Tick& t);
    void value_texts();
    void phase_offsets(Tick& t);
    void playback_frequencies(Tick& t);
    static constexpr int kSamples = 180;
    // One ear's values per sample index: `sound` is played and drawn in the buffer view,
    // `view` is drawn in the one-turn view.
    struct EarWave {
        std::array<float, kSamples> sound, view;
    };
    void ear_wave(EarWave& wave, int first_slider, int amplitude, float step, float viewStep,
                  const std::array<double, 4>& phase, double sign);
    void sample_loop(const Tick& t);
    void send_rates_and_pans(const Tick& t);
    void write_buffers();

    Panel& panel_;
    Views views_;
    modSynth_DX7& toneOutput_;
    const NTableArray& NTable_;
    EngineState& state_;
};

}  // namespace qv
