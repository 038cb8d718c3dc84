#include "synth/SynthTick.h"

#include <algorithm>
#include <array>

#include "params/Numbers.h"
#include "synth/Synthesis.h"

namespace qv {

SynthTick::SynthTick(Panel& panel, Views views, modSynth_DX7& toneOutput, const NTableArray& NTable,
                     EngineState& state)
    : panel_(panel), views_(views), toneOutput_(toneOutput), NTable_(NTable), state_(state) {}

void SynthTick::Timer1_Timer() {
    Panel& p = panel_;
    EngineState& s = state_;
    auto value = [&p](int k) { return static_cast<int>(p.bar(k).value()); };
    auto is_free = [&p](int i) { return p.ck(i).value() != 0; };

    // The views are drawn anew on every tick; while nobody sees them they are left alone.
    const std::array<PictureBox*, 4> views{&views_.WF1PB, &views_.WF2PB, &views_.WF3PB,
                                           &views_.WF4PB};
    const bool drawn = std::ranges::any_of(views, [](PictureBox* view) { return view->watched; });
    if (drawn) {
        for (PictureBox* view : views) view->cls();
    }
    if (SoundBuffer* primary = toneOutput_.primaryBuffer()) {
        primary->SetVolume(synth::master_level(value(P::Vol)));
    }
    const synth::AngleSteps steps = synth::angle_steps(value(P::Freq));

    // The AM modulator moves the ears' amplitudes unless they are free; outside 0..100 the
    // slider refuses the value and keeps the last one it accepted.
    s.amPhase = synth::next_am_phase(s.amPhase, value(P::AmSpeed));
    if (!is_free(Free::LeftAmp)) {
        p.sc(P::LeftAmp).set_value(synth::am_left(value(P::AmBase), value(P::AmDepth), s.amPhase));
    }
    if (!is_free(Free::RightAmp)) {
        p.sc(P::RightAmp)
            .set_value(synth::am_right(value(P::AmBase), value(P::AmDepth), s.amPhase,
                                       value(P::AmOffset)));
    }

    s.switchTick = synth::next_switch_tick(s.switchTick);
    const synth::SwitchedOff off =
        synth::switched_off(s.switchTick, value(P::SwitchSpeed), value(P::SwitchOffset),
                            value(P::LeftOn), value(P::RightOn));
    const int ampL = off.left ? 0 : value(P::LeftAmp);
    const int ampR = off.right ? 0 : value(P::RightAmp);

    s.shiftPhase = synth::next_shift_phase(s.shiftPhase, value(P::ShiftSpeed), value(P::AmSpeed),
                                           value(P::ShiftSync));
    const double sineL = synth::shift_sine_left(s.shiftPhase);
    if (!is_free(Free::LeftShift)) {
        p.sc(P::LeftShift).set_value(synth::shift_left(sineL, value(P::ShiftDepth)));
    }
    const double sineR = synth::shift_sine_right(s.shiftPhase, value(P::ShiftOffset));
    if (!is_free(Free::RightShift)) {
        p.sc(P::RightShift).set_value(synth::shift_right(sineR, value(P::ShiftDepth)));
    }
    const double shiftL = synth::shift_offset_left(sineL, value(P::LeftShift), steps.sound);
    const double shiftR = synth::shift_offset_right(sineR, value(P::RightShift), steps.sound);

    // The amplitudes' texts follow their sliders' own change events.
    for (int k = P::LeftPartial1; k <= P::RightShift; ++k) {
        p.tx(k).set_text(numbers::value_to_text(value(k)));
    }

    // The phases come from the texts, not from the phase sliders: a typed number the
    // slider refuses still counts. A text that is no number leaves that partial at phase 0,
    // shift included.
    std::array<double, 4> phaseL{}, phaseR{};
    for (int k = 0; k < 4; ++k) {
        if (auto v = numbers::parse_number(p.tx(params::kLeft.phases[k]).text())) {
            phaseL[k] = synth::phase_left(shiftL, *v);
        }
    }
    for (int k = 0; k < 4; ++k) {
        if (auto v = numbers::parse_number(p.tx(params::kRight.phases[k]).text())) {
            phaseR[k] = synth::phase_right(shiftR, *v);
        }
    }
    const synth::Rates rates = synth::playback_rates(value(P::Tune), value(P::Diff),
                                                     value(P::DiffSync), value(P::AmSpeed));

    auto partials = [&](const params::Ear& ear) {
        return std::array<int, 4>{value(ear.partials[0]), value(ear.partials[1]),
                                  value(ear.partials[2]), value(ear.partials[3])};
    };
    const synth::EarWave left =
        synth::ear_wave(partials(params::kLeft), ampL, steps, phaseL, -1.0, NTable_, drawn);
    const synth::EarWave right =
        synth::ear_wave(partials(params::kRight), ampR, steps, phaseR, 1.0, NTable_, drawn);
    for (int i = 0; i < synth::kSamples; ++i) {
        if (drawn) {
            const float x = static_cast<float>(i);
            const auto plot = [x](PictureBox& view, float v) {
                view.pset(x, v + synth::kRest, synth::point_color(v));
            };
            plot(views_.WF1PB, left.sound[i]);
            plot(views_.WF2PB, right.sound[i]);
            plot(views_.WF3PB, left.view[i]);
            plot(views_.WF4PB, right.view[i]);
        }
        synth::store_byte(s.leftBytes[static_cast<std::size_t>(i)], left.sound[i]);
        synth::store_byte(s.rightBytes[static_cast<std::size_t>(i)], right.sound[i]);
    }

    // A call the tone output refuses, or a buffer that does not exist, leaves that setting
    // as it was; the next call is made all the same.
    SoundBuffer* leftBuffer = toneOutput_.channelBuffer(0);
    SoundBuffer* rightBuffer = toneOutput_.channelBuffer(1);
    if (leftBuffer) leftBuffer->SetFrequency(rates.left);
    if (rightBuffer) rightBuffer->SetFrequency(synth::rounded_rate(rates.right));
    const std::int32_t pan = synth::pan(value(P::Pan));
    if (leftBuffer) leftBuffer->SetPan(pan);
    if (rightBuffer) rightBuffer->SetPan(-pan);
    toneOutput_.WriteChannel(0, s.leftBytes);
    toneOutput_.WriteChannel(1, s.rightBytes);
}

}  // namespace qv
