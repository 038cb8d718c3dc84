#include "synth/SynthTick.h"

#include <algorithm>
#include <array>

#include "params/Numbers.h"
#include "synth/Synthesis.h"

namespace qv {

SynthTick::SynthTick(Panel& panel, Views views, modSynth_DX7& toneOutput)
    : panel_(panel), views_(views), toneOutput_(toneOutput) {}

void SynthTick::Timer1_Timer() {
    Panel& p = panel_;
    EngineState& s = engine;
    auto value = [&p](int k) { return static_cast<int>(p.bar(k).value()); };

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

    using synth::Ear;
    constexpr Ear kEars[] = {Ear::Left, Ear::Right};
    auto of = [](Ear ear) -> const params::Ear& {
        return ear == Ear::Left ? params::kLeft : params::kRight;
    };
    auto at = [](Ear ear) { return static_cast<std::size_t>(ear); };
    // A modulated slider is the user's while its "Free" switch is checked or greyed.
    auto modulated = [&p](P::Id k) { return p.ck(params::param(k).freed_by).value() == 0; };

    // The AM modulator moves the ears' amplitudes; outside 0..100 the slider refuses the
    // value and keeps the last one it accepted.
    s.amPhase = synth::next_am_phase(s.amPhase, value(P::AmSpeed));
    for (Ear ear : kEars) {
        if (modulated(of(ear).amplitude)) {
            p.sc(of(ear).amplitude)
                .set_value(synth::am(ear, value(P::AmBase), value(P::AmDepth), s.amPhase,
                                     value(P::AmOffset)));
        }
    }

    s.switchTick = synth::next_switch_tick(s.switchTick);
    const synth::SwitchedOff off =
        synth::switched_off(s.switchTick, value(P::SwitchSpeed), value(P::SwitchOffset),
                            value(P::LeftOn), value(P::RightOn));
    const std::array<int, 2> amplitude{off.left ? 0 : value(P::LeftAmp),
                                       off.right ? 0 : value(P::RightAmp)};

    s.shiftPhase = synth::next_shift_phase(s.shiftPhase, value(P::ShiftSpeed), value(P::AmSpeed),
                                           value(P::ShiftSync));
    std::array<double, 2> shift{};
    for (Ear ear : kEars) {
        const double sine = synth::shift_sine(ear, s.shiftPhase, value(P::ShiftOffset));
        if (modulated(of(ear).shift)) {
            p.sc(of(ear).shift).set_value(synth::shift_slider(ear, sine, value(P::ShiftDepth)));
        }
        shift[at(ear)] = synth::shift_offset(ear, sine, value(of(ear).shift), steps.sound);
    }

    // The amplitudes' texts follow their sliders' own change events.
    for (int k = P::LeftPartial1; k <= P::RightShift; ++k) {
        p.tx(k).set_text(numbers::value_to_text(value(k)));
    }

    // The phases come from the texts, not from the phase sliders: a typed number the
    // slider refuses still counts. A text that is no number leaves that partial at phase 0,
    // shift included.
    std::array<synth::EarWave, 2> wave;
    for (Ear ear : kEars) {
        std::array<double, 4> phases{};
        std::array<int, 4> partials{};
        for (std::size_t k = 0; k < 4; ++k) {
            if (auto v = numbers::parse_number(p.tx(of(ear).phases[k]).text()))
                phases[k] = synth::phase(ear, shift[at(ear)], *v);
            partials[k] = value(of(ear).partials[k]);
        }
        wave[at(ear)] =
            synth::ear_wave(ear, partials, amplitude[at(ear)], steps, phases, NTable, drawn);
    }
    const synth::EarWave& left = wave[0];
    const synth::EarWave& right = wave[1];
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

    const synth::Rates rates = synth::playback_rates(value(P::Tune), value(P::Diff),
                                                     value(P::DiffSync), value(P::AmSpeed));

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
