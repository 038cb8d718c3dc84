#pragma once

#include <array>
#include <cstdint>

#include "controls/Control.h"
#include "synth/NTable.h"

// The arithmetic of the synthesis tick, as functions of the values the tick reads from the
// controls: the modulators, the channel switching, the waveforms, the rates and the pans.
// Everything is in the numbers the program keeps (32-bit floats where it stores one,
// doubles between) and rounds as it rounds, so that the tick built on these functions
// gives the very bytes it always gave. SynthTick reads the controls and writes them back.
namespace qv::synth {

inline constexpr int kSamples = 180;
// The rest level of an unsigned 8-bit sample.
inline constexpr int kRest = 127;
// Frequency ratios of the four sine partials of each ear to its fundamental.
inline constexpr std::array<double, 4> kPartialRatio = {1, 1.333, 1.666, 1.999};

// The two ears. The right ear mirrors the left: where the left adds, the right subtracts,
// and the right ear's modulators lag behind by their offset.
enum class Ear { Left, Right };

// The primary buffer's volume in hundredths of a decibel for " Vol": -10000 (silence) at
// 0, then -990 upwards.
std::int32_t master_level(int vol);

// Angle per sample index: the buffer's, for `freq` turns of the fundamental in one loop,
// and the one-turn view's.
struct AngleSteps {
    float sound;
    float view;
};
AngleSteps angle_steps(int freq);

// The modulator phases and the switching count move on by one tick; above 9000 each starts
// again from 0.
float next_am_phase(float amPhase, int amSpeed);
float next_shift_phase(float shiftPhase, int shiftSpeed, int amSpeed, int shiftSync);
float next_switch_tick(float switchTick);

// Where the AM modulator puts an ear's amplitude, rounded; the slider may refuse it.
long am(Ear ear, int base, int depth, double amPhase, int offset);

// Whether each ear is switched off on this tick.
struct SwitchedOff {
    bool left;
    bool right;
};
SwitchedOff switched_off(float switchTick, int speed, int offset, int left_on, int right_on);

// The shift modulator's sine for an ear, and where it puts the ear's shift slider, rounded.
double shift_sine(Ear ear, double shiftPhase, int offset);
long shift_slider(Ear ear, double sine, int depth);
// An ear's waveform shift: its shift slider's value over the angle step, or with no step
// (Freq at 0) the modulator's sine as it stands.
double shift_offset(Ear ear, double sine, int shift, float step);

// A partial's phase from the number in its phase text and the ear's shift.
double phase(Ear ear, double shift_offset, double text_value);

// Playback rates in samples per second: the left ear's, and the right ear's before it is
// rounded (" Diff" lower, plus "DiffSync" percent of the AM speed).
struct Rates {
    std::int32_t left;
    double right;
};
Rates playback_rates(int tune, int diff, int diffSync, int amSpeed);
std::int32_t rounded_rate(double rate);
// The pitch heard from a loop of 179 bytes played at `rate` that holds `freq` turns of the
// fundamental (a hair less, which the jump back to the loop's start makes up for).
double fundamental_hz(double rate, int freq);
// The left ear's pan for " Pan" in hundredths of a decibel; the right ear's is its negative.
std::int32_t pan(int pan_value);

// One ear's values at each sample index: `sound` is played and drawn in the buffer view,
// `view` is drawn in the one-turn view.
struct EarWave {
    std::array<float, kSamples> sound;
    std::array<float, kSamples> view;
};
// The left ear subtracts its phases in the sound and adds them in the view; the right ear
// does the opposite. Without `with_view` the view is left at 0.
EarWave ear_wave(Ear ear, const std::array<int, 4>& partials, int amplitude, AngleSteps steps,
                 const std::array<double, 4>& phases, const NTableArray& NTable,
                 bool with_view = true);

// The colour of a view's point for a value: green, shading towards yellow.
Color point_color(float v);
// Stores a sample as a byte; a value beyond 0..255 leaves the byte as it was.
void store_byte(std::uint8_t& target, float sample);

}  // namespace qv::synth
