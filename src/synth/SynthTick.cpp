#include "synth/SynthTick.h"

#include <cmath>

#include "params/Numbers.h"

namespace qv {

namespace {

using numbers::round_half_even;

// 2π/179 to three digits: N whole turns of the fundamental, nearly, over the 179 played bytes.
constexpr double kAngleStep = 0.0351;
// Radians per unit of a phase text: 0..100 spans a little more than one turn.
constexpr double kPhaseScale = 15.5;
// The rest level of an unsigned 8-bit sample.
constexpr int kRest = 127;
// Above this a phase or the switching count starts again from 0.
constexpr float kWrap = 9000;

// Pure green, shading towards yellow as |v| grows; beyond |3v| = 255 the carry runs on
// into the green and blue bytes.
Color point_color(float v) {
    return 65280 + static_cast<Color>(round_half_even(std::fabs(3.0 * v)));
}

void store_byte(std::uint8_t& target, float sample) {
    double b = round_half_even(sample + static_cast<double>(kRest));
    if (b >= 0 && b <= 255) target = static_cast<std::uint8_t>(b);
}

}  // namespace

SynthTick::SynthTick(Panel& panel, Views views, modSynth_DX7& toneOutput, const NTableArray& NTable,
                     EngineState& state)
    : panel_(panel), views_(views), toneOutput_(toneOutput), NTable_(NTable), state_(state) {}

void SynthTick::Timer1_Timer() {
    Tick t;
    clear_views();
    master_volume();
    angle_steps(t, panel_.sc(8).value());
    am_block();
    switching_clock();
    channel_amplitudes(t);
    shift_block(t);
    value_texts();
    phase_offsets(t);
    playback_frequencies(t);
    sample_loop(t);
    send_rates_and_pans(t);
    write_buffers();
}

void SynthTick::clear_views() {
    views_.WF1PB.cls();
    views_.WF2PB.cls();
    views_.WF3PB.cls();
    views_.WF4PB.cls();
}

void SynthTick::master_volume() {
    int vol = panel_.sc(15).value();
    // The lowest step above silence is -990: the slider's 0 alone means off.
    std::int32_t level = vol != 0 ? vol * 10 - 1000 : -10000;
    if (SoundBuffer* primary = toneOutput_.primaryBuffer()) primary->SetVolume(level);
}

void SynthTick::angle_steps(Tick& t, int N) {
    t.stepL = static_cast<float>(-N * kAngleStep);
    t.stepR = static_cast<float>(-N * kAngleStep);
    t.viewStepL = static_cast<float>(kAngleStep);
    t.viewStepR = static_cast<float>(kAngleStep);
}

// Each phase update is one double expression rounded to 32 bits once, when stored: rounding
// the increment separately drifts away within minutes.
void SynthTick::am_block() {
    Panel& p = panel_;
    state_.amPhase = static_cast<float>(state_.amPhase + p.sc(11).value() / 100.0);
    if (state_.amPhase > kWrap) state_.amPhase = 0;

    // Outside 0..100 the slider refuses the value and keeps the last one it accepted.
    const double amPhase = state_.amPhase;
    if (p.ck(0).value() == 0) {
        p.sc(24).set_value(static_cast<long>(
            round_half_even(p.sc(10).value() + p.sc(12).value() * std::sin(amPhase))));
    }
    if (p.ck(1).value() == 0) {
        p.sc(25).set_value(static_cast<long>(round_half_even(
            p.sc(10).value() - p.sc(12).value() * std::sin(amPhase - p.sc(13).value() / 32.0))));
    }
}

void SynthTick::switching_clock() {
    state_.switchTick = static_cast<float>(state_.switchTick + 1.0);
    if (state_.switchTick > kWrap) state_.switchTick = 0;
}

void SynthTick::channel_amplitudes(Tick& t) {
    Panel& p = panel_;
    t.ampL = p.sc(24).value();
    t.ampR = p.sc(25).value();

    // A channel is off while the sine lies strictly above its threshold: -1 at on-time 0,
    // +1 at 100 (always on).
    const double clock = static_cast<double>(state_.switchTick) * p.hsc(37).value() * 0.01;
    const double offset = p.hsc(36).value() / 60.0;
    if (std::sin(clock + offset) > p.hsc(34).value() / 100.0 * 2 - 1) t.ampL = 0;
    if (std::sin(clock - offset) > p.hsc(35).value() / 100.0 * 2 - 1) t.ampR = 0;
}

void SynthTick::shift_block(Tick& t) {
    Panel& p = panel_;
    const int speed = p.sc(16).value();
    const int amSpeed = p.sc(11).value();
    const int sync = p.sc(19).value();
    state_.shiftPhase =
        static_cast<float>(state_.shiftPhase + speed / 100.0 + (amSpeed / 100.0) * (sync / 100.0));
    if (state_.shiftPhase > kWrap) state_.shiftPhase = 0;

    const double shiftPhase = state_.shiftPhase;
    t.shiftOffsetL = std::sin(shiftPhase);
    if (p.ck(2).value() == 0) {
        p.sc(22).set_value(
            static_cast<long>(round_half_even(50 + t.shiftOffsetL * p.sc(17).value() / 2)));
    }
    t.shiftOffsetR = std::sin(shiftPhase - p.sc(18).value() / 32.0);
    if (p.ck(3).value() == 0) {
        p.sc(23).set_value(
            static_cast<long>(round_half_even(50 - t.shiftOffsetR * p.sc(17).value() / 2)));
    }

    // In 32-bit floats. With sc(8) at 0 the step is 0: the offsets then keep the sines.
    const float divisorL = t.stepL * 100.0f;
    if (divisorL != 0.0f) t.shiftOffsetL = static_cast<float>(p.sc(22).value()) / divisorL;
    const float divisorR = t.stepR * -100.0f;
    if (divisorR != 0.0f) t.shiftOffsetR = static_cast<float>(p.sc(23).value()) / divisorR;
}

void SynthTick::value_texts() {
    for (int i = 0; i <= 23; ++i)
        panel_.tx(i).set_text(numbers::value_to_text(panel_.sc(i).value()));
}

// The phases come from the texts, not from hsc(26..33): a typed number the slider refuses
// still counts. A text that is no number leaves that partial at phase 0, shift included.
void SynthTick::phase_offsets(Tick& t) {
    for (int k = 0; k < 4; ++k) {
        if (auto v = numbers::parse_number(panel_.tx(26 + k).text())) {
            t.phaseL[k] = t.shiftOffsetL - *v / kPhaseScale;
        }
    }
    for (int k = 0; k < 4; ++k) {
        if (auto v = numbers::parse_number(panel_.tx(30 + k).text())) {
            t.phaseR[k] = t.shiftOffsetR + *v / kPhaseScale;
        }
    }
}

void SynthTick::playback_frequencies(Tick& t) {
    Panel& p = panel_;
    const int rate = p.sc(9).value() * 200 + 5000;
    t.freqL = rate;
    // sc(21) ties that percentage of the AM speed, in samples per second, to the right ear.
    t.freqR = (rate - p.sc(20).value()) + p.sc(21).value() / 100.0 * p.sc(11).value();
}

// One ear's sound and view values at every sample index. The terms are 32-bit floats added
// in double in ascending partial order, and the sum is scaled by the ear's amplitude. A term
// whose amplitude is 0 adds exactly 0 and a silenced ear is 0 throughout, so their sines
// are skipped; that changes no value.
void SynthTick::ear_wave(EarWave& wave, int first_slider, int amplitude, float step, float viewStep,
                         const std::array<double, 4>& phase, double sign) {
    std::array<double, kSamples> sound{}, view{}, sines;
    for (int k = 0; k < 4 && amplitude != 0; ++k) {
        const int amp = panel_.sc(first_slider + k).value();
        if (amp == 0) continue;
        const double soundStep = step * kPartialRatio[k];
        const double viewStepK = viewStep * kPartialRatio[k];
        // The left ear subtracts its phase in the sound and adds it in the view, the right
        // ear the other way round.
        const double p = sign * phase[k];
        for (int i = 0; i < kSamples; ++i) sines[i] = std::sin(soundStep * NTable_[i] + p);
        for (int i = 0; i < kSamples; ++i) sound[i] += static_cast<float>(sines[i] * amp / 100.0);
        for (int i = 0; i < kSamples; ++i) sines[i] = std::sin(viewStepK * NTable_[i] - p);
        for (int i = 0; i < kSamples; ++i) view[i] += static_cast<float>(sines[i] * amp / 100.0);
    }
    for (int i = 0; i < kSamples; ++i) {
        wave.sound[i] = static_cast<float>(sound[i] / 3 * amplitude);
        wave.view[i] = static_cast<float>(view[i] / 3 * amplitude);
    }
}

void SynthTick::sample_loop(const Tick& t) {
    EarWave left, right;
    ear_wave(left, 0, t.ampL, t.stepL, t.viewStepL, t.phaseL, -1.0);
    ear_wave(right, 4, t.ampR, t.stepR, t.viewStepR, t.phaseR, 1.0);

    SampleArray& leftBytes = toneOutput_.leftBytes;
    SampleArray& rightBytes = toneOutput_.rightBytes;
    for (int i = 0; i < kSamples; ++i) {
        const float x = static_cast<float>(i);
        views_.WF1PB.pset(x, left.sound[i] + kRest, point_color(left.sound[i]));
        views_.WF2PB.pset(x, right.sound[i] + kRest, point_color(right.sound[i]));
        views_.WF3PB.pset(x, left.view[i] + kRest, point_color(left.view[i]));
        views_.WF4PB.pset(x, right.view[i] + kRest, point_color(right.view[i]));

        // A value beyond the byte range is not written: the byte keeps an earlier tick's.
        store_byte(leftBytes[static_cast<std::size_t>(i)], left.sound[i]);
        store_byte(rightBytes[static_cast<std::size_t>(i)], right.sound[i]);
    }
}

// A call the tone output refuses, or a buffer that does not exist, leaves that setting as
// it was; the next call is made all the same.
void SynthTick::send_rates_and_pans(const Tick& t) {
    SoundBuffer* left = toneOutput_.channelBuffer(0);
    SoundBuffer* right = toneOutput_.channelBuffer(1);
    if (left) left->SetFrequency(t.freqL);
    if (right) right->SetFrequency(static_cast<std::int32_t>(round_half_even(t.freqR)));

    const std::int32_t pan = (panel_.sc(14).value() - 10) * 400;
    if (left) left->SetPan(pan);
    if (right) right->SetPan(-pan);
}

void SynthTick::write_buffers() {
    toneOutput_.WriteChannel(0, toneOutput_.leftBytes);
    toneOutput_.WriteChannel(1, toneOutput_.rightBytes);
}

}  // namespace qv
