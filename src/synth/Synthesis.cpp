#include "synth/Synthesis.h"

#include <cmath>

#include "params/Numbers.h"

namespace qv::synth {

namespace {

using numbers::round_half_even;

// 2π/179 to three digits: N whole turns of the fundamental, nearly, over the 179 played bytes.
constexpr double kAngleStep = 0.0351;
// Radians per unit of a phase text: 0..100 spans a little more than one turn.
constexpr double kPhaseScale = 15.5;
// Above this a phase or the switching count starts again from 0.
constexpr float kWrap = 9000;

float wrapped(float phase) {
    return phase > kWrap ? 0 : phase;
}

}  // namespace

std::int32_t master_level(int vol) {
    // The lowest step above silence is -990: the slider's 0 alone means off.
    return vol != 0 ? vol * 10 - 1000 : -10000;
}

AngleSteps angle_steps(int freq) {
    return {static_cast<float>(-freq * kAngleStep), static_cast<float>(kAngleStep)};
}

// Each phase update is one double expression rounded to 32 bits once, when stored: rounding
// the increment separately drifts away within minutes.
float next_am_phase(float amPhase, int amSpeed) {
    return wrapped(static_cast<float>(amPhase + amSpeed / 100.0));
}

float next_shift_phase(float shiftPhase, int shiftSpeed, int amSpeed, int shiftSync) {
    return wrapped(static_cast<float>(shiftPhase + shiftSpeed / 100.0 +
                                      (amSpeed / 100.0) * (shiftSync / 100.0)));
}

float next_switch_tick(float switchTick) {
    return wrapped(static_cast<float>(switchTick + 1.0));
}

// Each ear's formula as the left ear's with the sign turned for the right; turning a sign
// and subtracting an offset of 0 are exact, so both give the very numbers they always did.
namespace {

double mirrored(Ear ear, double x) {
    return ear == Ear::Left ? x : -x;
}

double lag(Ear ear, int offset) {
    return ear == Ear::Left ? 0.0 : offset / 32.0;
}

}  // namespace

long am(Ear ear, int base, int depth, double amPhase, int offset) {
    return static_cast<long>(
        round_half_even(base + mirrored(ear, depth * std::sin(amPhase - lag(ear, offset)))));
}

SwitchedOff switched_off(float switchTick, int speed, int offset, int left_on, int right_on) {
    // An ear is off while the sine lies strictly above its threshold: -1 at on-time 0, +1
    // at 100 (always on).
    const double clock = static_cast<double>(switchTick) * speed * 0.01;
    const double shift = offset / 60.0;
    return {std::sin(clock + shift) > left_on / 100.0 * 2 - 1,
            std::sin(clock - shift) > right_on / 100.0 * 2 - 1};
}

double shift_sine(Ear ear, double shiftPhase, int offset) {
    return std::sin(shiftPhase - lag(ear, offset));
}

long shift_slider(Ear ear, double sine, int depth) {
    return static_cast<long>(round_half_even(50 + mirrored(ear, sine * depth / 2)));
}

// In 32-bit floats; a zero step would divide by zero, and then the sine stays.
double shift_offset(Ear ear, double sine, int shift, float step) {
    const float divisor = step * (ear == Ear::Left ? 100.0f : -100.0f);
    return divisor != 0.0f ? static_cast<float>(shift) / divisor : sine;
}

double phase(Ear ear, double shift_offset, double text_value) {
    return shift_offset + mirrored(ear, -(text_value / kPhaseScale));
}

Rates playback_rates(int tune, int diff, int diffSync, int amSpeed) {
    const int rate = tune * 200 + 5000;
    // "DiffSync" ties that percentage of the AM speed, in samples per second, to the right ear.
    return {rate, (rate - diff) + diffSync / 100.0 * amSpeed};
}

std::int32_t rounded_rate(double rate) {
    return static_cast<std::int32_t>(round_half_even(rate));
}

double fundamental_hz(double rate, int freq) {
    return rate * freq / (kSamples - 1);
}

std::int32_t pan(int pan_value) {
    return (pan_value - 10) * 400;
}

// The terms are 32-bit floats added in double in ascending partial order, and the sum is
// scaled by the ear's amplitude. A term whose amplitude is 0 adds exactly 0 and a silenced
// ear is 0 throughout, so their sines are skipped; that changes no value.
EarWave ear_wave(Ear ear, const std::array<int, 4>& partials, int amplitude, AngleSteps steps,
                 const std::array<double, 4>& phases, const NTableArray& NTable, bool with_view) {
    const double sign = ear == Ear::Left ? -1.0 : 1.0;
    std::array<double, kSamples> sound{}, view{}, sines;
    for (int k = 0; k < 4 && amplitude != 0; ++k) {
        const int amp = partials[k];
        if (amp == 0) continue;
        const double soundStep = steps.sound * kPartialRatio[k];
        const double viewStep = steps.view * kPartialRatio[k];
        const double p = sign * phases[k];
        for (int i = 0; i < kSamples; ++i) sines[i] = std::sin(soundStep * NTable[i] + p);
        for (int i = 0; i < kSamples; ++i) sound[i] += static_cast<float>(sines[i] * amp / 100.0);
        if (!with_view) continue;
        for (int i = 0; i < kSamples; ++i) sines[i] = std::sin(viewStep * NTable[i] - p);
        for (int i = 0; i < kSamples; ++i) view[i] += static_cast<float>(sines[i] * amp / 100.0);
    }
    EarWave wave;
    for (int i = 0; i < kSamples; ++i) {
        wave.sound[i] = static_cast<float>(sound[i] / 3 * amplitude);
        wave.view[i] = static_cast<float>(view[i] / 3 * amplitude);
    }
    return wave;
}

// Pure green, shading towards yellow as |v| grows; beyond |3v| = 255 the carry runs on
// into the green and blue bytes.
Color point_color(float v) {
    return 65280 + static_cast<Color>(round_half_even(std::fabs(3.0 * v)));
}

void store_byte(std::uint8_t& target, float sample) {
    double b = round_half_even(sample + static_cast<double>(kRest));
    if (b >= 0 && b <= 255) target = static_cast<std::uint8_t>(b);
}

}  // namespace qv::synth
