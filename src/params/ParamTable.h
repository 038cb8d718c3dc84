#pragma once

#include <array>
#include <string_view>

#include "controls/Control.h"

namespace qv {

// The parameters by name. A parameter's number is the index of its controls, so code
// names the control and the parameter together: sc(P::Vol) is the " Vol" slider and
// tx(P::Vol) its text, hsc(P::LeftOn) the left ear's on-time.
namespace P {
// clang-format off
enum Id : int {
    LeftPartial1, LeftPartial2, LeftPartial3, LeftPartial4,      // amplitudes of the partials
    RightPartial1, RightPartial2, RightPartial3, RightPartial4,  //
    Freq,         // fundamental turns in one loop of the buffer (hidden)
    Tune,         // base playback rate
    AmBase, AmSpeed, AmDepth, AmOffset,
    Pan, Vol,
    ShiftSpeed, ShiftDepth, ShiftOffset, ShiftSync,
    Diff,      // right ear's rate lowered by this much
    DiffSync,  // share of the AM speed added to the right ear's rate
    LeftShift, RightShift,  // waveform shift, moved by the shift modulator
    LeftAmp, RightAmp,      // ear amplitude, moved by the AM modulator
    LeftPhase1, LeftPhase2, LeftPhase3, LeftPhase4,
    RightPhase1, RightPhase2, RightPhase3, RightPhase4,
    LeftOn, RightOn, SwitchOffset, SwitchSpeed,  // channel switching
};
// clang-format on
}  // namespace P

// The "Free" switches by name: ck(Free::LeftAmp) frees sc(P::LeftAmp) from its modulator.
namespace Free {
enum Id : int { LeftAmp, RightAmp, LeftShift, RightShift };
}  // namespace Free

// The parameter panel as data: every slider, text box, "Free" switch and title of the
// panel with its role, range, default and place on the window (twips).
namespace params {

inline constexpr int kCount = 38;          // parameters 0..37
inline constexpr int kVerticalCount = 26;  // sc(0..25); hsc(26..37) follow
inline constexpr int kSwitchCount = 4;     // ck(0..3)
inline constexpr int kLabelCount = 20;     // Lbl(0..19)
inline constexpr int kNoSwitch = -1;

// The framed groups of the panel.
enum class Group {
    Waveform,   // the partials' amplitudes and phases of both ears
    Amplitude,  // the ears' amplitudes and the AM modulator
    Tone,       // shift modulator, pitch, pan and volume
    Switching,  // the channel switching
};

struct Param {
    P::Id id;
    std::string_view code;  // the name in code and in the test scripts: "Vol"
    std::string_view name;  // what the parameter is, for people (assistive tools)
    Group group;
    int min;
    int max;
    int value;                      // default when the window opens
    Rect bar;                       // sc(k) or hsc(k)
    Rect text;                      // tx(k)
    bool visible;                   // Freq's slider and text are never shown
    int freed_by;                   // the switch that frees the slider from its modulator
    Color tint;                     // background of the text
    std::string_view initial;       // text of tx(k) when the window opens
    std::string_view tooltip = {};  // of tx(k)
};

struct Switch {
    Free::Id id;
    std::string_view code;
    std::string_view name;
    Rect rect;
    P::Id frees;
};

struct Title {
    std::string_view caption;  // blanks are part of the caption
    Rect rect;
    Align alignment;
};

extern const std::array<Param, kCount> kParams;
extern const std::array<Switch, kSwitchCount> kSwitches;
extern const std::array<Title, kLabelCount> kTitles;

inline const Param& param(int k) {
    return kParams[static_cast<std::size_t>(k)];
}

// The parameters of one ear, in the order the synthesis takes them.
struct Ear {
    std::array<P::Id, 4> partials;  // amplitudes of partials 1..4
    std::array<P::Id, 4> phases;
    P::Id amplitude;
    P::Id shift;
    P::Id on_time;
};
inline constexpr Ear kLeft = {{P::LeftPartial1, P::LeftPartial2, P::LeftPartial3, P::LeftPartial4},
                              {P::LeftPhase1, P::LeftPhase2, P::LeftPhase3, P::LeftPhase4},
                              P::LeftAmp,
                              P::LeftShift,
                              P::LeftOn};
inline constexpr Ear kRight = {
    {P::RightPartial1, P::RightPartial2, P::RightPartial3, P::RightPartial4},
    {P::RightPhase1, P::RightPhase2, P::RightPhase3, P::RightPhase4},
    P::RightAmp,
    P::RightShift,
    P::RightOn};

}  // namespace params
}  // namespace qv
