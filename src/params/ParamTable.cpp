#include "params/ParamTable.h"

namespace qv::params {

namespace {

// Slider sizes by kind; every text box is 375 x 285.
constexpr Rect partial_bar(int left) {
    return {left, 480, 375, 2055};
}
constexpr Rect row_bar(int left) {
    return {left, 4200, 375, 1935};
}
constexpr Rect phase_bar(int left) {
    return {left, 3240, 375, 255};
}
constexpr Rect switching_bar(int left, int top) {
    return {left, top, 735, 255};
}
constexpr Rect text_at(int left, int top) {
    return {left, top, 375, 285};
}

constexpr Color kMenu = kMenuColor;
constexpr Color kGrey = rgb(224, 224, 224);

using G = Group;

// clang-format off
constexpr std::array<Param, kCount> kTable = {{
//   id                code            name for people               group         min  max  default  slider                  text                    shown  freed by           tint  initial
    {P::LeftPartial1,  "LeftPartial1", "Left partial 1 amplitude",   G::Waveform,  0,   100, 0,   partial_bar(240),        text_at(240, 2640),  true,  kNoSwitch,        kMenu, ""},
    {P::LeftPartial2,  "LeftPartial2", "Left partial 2 amplitude",   G::Waveform,  0,   100, 0,   partial_bar(720),        text_at(720, 2640),  true,  kNoSwitch,        kMenu, ""},
    {P::LeftPartial3,  "LeftPartial3", "Left partial 3 amplitude",   G::Waveform,  0,   100, 0,   partial_bar(1200),       text_at(1200, 2640), true,  kNoSwitch,        kMenu, ""},
    {P::LeftPartial4,  "LeftPartial4", "Left partial 4 amplitude",   G::Waveform,  0,   100, 0,   partial_bar(1680),       text_at(1680, 2640), true,  kNoSwitch,        kMenu, ""},
    {P::RightPartial1, "RightPartial1", "Right partial 1 amplitude", G::Waveform,  0,   100, 0,   partial_bar(5760),       text_at(5760, 2640), true,  kNoSwitch,        kMenu, ""},
    {P::RightPartial2, "RightPartial2", "Right partial 2 amplitude", G::Waveform,  0,   100, 0,   partial_bar(6240),       text_at(6240, 2640), true,  kNoSwitch,        kMenu, ""},
    {P::RightPartial3, "RightPartial3", "Right partial 3 amplitude", G::Waveform,  0,   100, 0,   partial_bar(6720),       text_at(6720, 2640), true,  kNoSwitch,        kMenu, ""},
    {P::RightPartial4, "RightPartial4", "Right partial 4 amplitude", G::Waveform,  0,   100, 0,   partial_bar(7200),       text_at(7200, 2640), true,  kNoSwitch,        kMenu, ""},
    {P::Freq,          "Freq",         "Freq",                       G::Tone,      0,   50,  15,  row_bar(6240),           text_at(6240, 6240), false, kNoSwitch,        kMenu, ""},
    {P::Tune,          "Tune",         "Tune",                       G::Tone,      0,   100, 20,  row_bar(6720),           text_at(6720, 6240), true,  kNoSwitch,        kMenu, ""},
    {P::AmBase,        "AmBase",       "AM base",                    G::Amplitude, 0,   100, 50,  row_bar(1200),           text_at(1200, 6240), true,  kNoSwitch,        kMenu, ""},
    {P::AmSpeed,       "AmSpeed",      "AM speed",                   G::Amplitude, 0,   100, 0,   row_bar(1680),           text_at(1680, 6240), true,  kNoSwitch,        kMenu, ""},
    {P::AmDepth,       "AmDepth",      "AM depth",                   G::Amplitude, 0,   50,  0,   row_bar(2160),           text_at(2160, 6240), true,  kNoSwitch,        kMenu, ""},
    {P::AmOffset,      "AmOffset",     "AM offset",                  G::Amplitude, 0,   100, 0,   row_bar(2640),           text_at(2640, 6240), true,  kNoSwitch,        kMenu, ""},
    {P::Pan,           "Pan",          "Pan",                        G::Tone,      0,   20,  10,  row_bar(8280),           text_at(8280, 6240), true,  kNoSwitch,        kMenu, ""},
    {P::Vol,           "Vol",          "Vol",                        G::Tone,      0,   100, 0,   row_bar(8760),           text_at(8760, 6240), true,  kNoSwitch,        kMenu, ""},
    {P::ShiftSpeed,    "ShiftSpeed",   "Shift speed",                G::Tone,      0,   100, 0,   row_bar(4320),           text_at(4320, 6240), true,  kNoSwitch,        kMenu, ""},
    {P::ShiftDepth,    "ShiftDepth",   "Shift depth",                G::Tone,      0,   100, 0,   row_bar(4800),           text_at(4800, 6240), true,  kNoSwitch,        kMenu, ""},
    {P::ShiftOffset,   "ShiftOffset",  "Shift offset",               G::Tone,      0,   100, 0,   row_bar(5280),           text_at(5280, 6240), true,  kNoSwitch,        kMenu, ""},
    {P::ShiftSync,     "ShiftSync",    "Shift sync",                 G::Tone,      0,   100, 0,   row_bar(5760),           text_at(5760, 6240), true,  kNoSwitch,        kMenu, ""},
    {P::Diff,          "Diff",         "Diff",                       G::Tone,      0,   100, 0,   row_bar(7200),           text_at(7200, 6240), true,  kNoSwitch,        kMenu, ""},
    {P::DiffSync,      "DiffSync",     "DiffSync",                   G::Tone,      0,   100, 0,   row_bar(7680),           text_at(7680, 6240), true,  kNoSwitch,        kMenu, ""},
    {P::LeftShift,     "LeftShift",    "Left shift",                 G::Tone,      0,   100, 50,  row_bar(3360),           text_at(3360, 6240), true,  Free::LeftShift,  kMenu, ""},
    {P::RightShift,    "RightShift",   "Right shift",                G::Tone,      0,   100, 50,  row_bar(3840),           text_at(3840, 6240), true,  Free::RightShift, kMenu, ""},
    {P::LeftAmp,       "LeftAmp",      "Left amplitude",             G::Amplitude, 0,   100, 100, row_bar(240),            text_at(240, 6240),  true,  Free::LeftAmp,    kMenu, ""},
    {P::RightAmp,      "RightAmp",     "Right amplitude",            G::Amplitude, 0,   100, 100, row_bar(720),            text_at(720, 6240),  true,  Free::RightAmp,   kMenu, ""},
    {P::LeftPhase1,    "LeftPhase1",   "Left partial 1 phase",       G::Waveform,  0,   100, 0,   phase_bar(240),          text_at(240, 3000),  true,  kNoSwitch,        kGrey, "0"},
    {P::LeftPhase2,    "LeftPhase2",   "Left partial 2 phase",       G::Waveform,  0,   100, 0,   phase_bar(720),          text_at(720, 3000),  true,  kNoSwitch,        kGrey, "0"},
    {P::LeftPhase3,    "LeftPhase3",   "Left partial 3 phase",       G::Waveform,  0,   100, 0,   phase_bar(1200),         text_at(1200, 3000), true,  kNoSwitch,        kGrey, "0"},
    {P::LeftPhase4,    "LeftPhase4",   "Left partial 4 phase",       G::Waveform,  0,   100, 0,   phase_bar(1680),         text_at(1680, 3000), true,  kNoSwitch,        kGrey, "0"},
    {P::RightPhase1,   "RightPhase1",  "Right partial 1 phase",      G::Waveform,  0,   100, 0,   phase_bar(5760),         text_at(5760, 3000), true,  kNoSwitch,        kGrey, "0"},
    {P::RightPhase2,   "RightPhase2",  "Right partial 2 phase",      G::Waveform,  0,   100, 0,   phase_bar(6240),         text_at(6240, 3000), true,  kNoSwitch,        kGrey, "0"},
    {P::RightPhase3,   "RightPhase3",  "Right partial 3 phase",      G::Waveform,  0,   100, 0,   phase_bar(6720),         text_at(6720, 3000), true,  kNoSwitch,        kGrey, "0"},
    {P::RightPhase4,   "RightPhase4",  "Right partial 4 phase",      G::Waveform,  0,   100, 0,   phase_bar(7200),         text_at(7200, 3000), true,  kNoSwitch,        kGrey, "0"},
    {P::LeftOn,        "LeftOn",       "Left on time",               G::Switching, 0,   100, 100, switching_bar(480, 7680),  text_at(1200, 7680), true, kNoSwitch,      kMenu, "100",
     "  Defines, how long Left Channel is off/on  "},
    {P::RightOn,       "RightOn",      "Right on time",              G::Switching, 0,   100, 100, switching_bar(480, 8040),  text_at(1200, 8040), true, kNoSwitch,      kMenu, "100",
     "  Defines, how long Right Channel is off/on  "},
    {P::SwitchOffset,  "SwitchOffset", "Switching offset",           G::Switching, 0,   100, 0,   switching_bar(2160, 7680), text_at(2880, 7680), true, kNoSwitch,      kMenu, "0",
     " Offset for switching  "},
    {P::SwitchSpeed,   "SwitchSpeed",  "Switching speed",            G::Switching, 0,   100, 0,   switching_bar(2160, 8040), text_at(2880, 8040), true, kNoSwitch,      kMenu, "0",
     "  Speed of switching (Use same value with am speed to get sync)   "},
}};

constexpr std::array<Switch, kSwitchCount> kSwitchTable = {{
    {Free::LeftAmp,    "LeftAmp",    "Left amplitude free",  {240, 6600, 200, 195},  P::LeftAmp},
    {Free::RightAmp,   "RightAmp",   "Right amplitude free", {885, 6600, 200, 195},  P::RightAmp},
    {Free::LeftShift,  "LeftShift",  "Left shift free",      {3360, 6600, 200, 195}, P::LeftShift},
    {Free::RightShift, "RightShift", "Right shift free",     {4020, 6600, 200, 195}, P::RightShift},
}};
// clang-format on

// Each row stands at its parameter's number, and a slider names the switch that frees it
// exactly when that switch names the slider.
constexpr bool rows_in_place() {
    for (int k = 0; k < kCount; ++k) {
        if (kTable[k].id != k) return false;
        const int s = kTable[k].freed_by;
        if (s != kNoSwitch && kSwitchTable[s].frees != k) return false;
    }
    for (int s = 0; s < kSwitchCount; ++s) {
        if (kSwitchTable[s].id != s || kTable[kSwitchTable[s].frees].freed_by != s) return false;
    }
    return true;
}
static_assert(rows_in_place());

}  // namespace

const std::array<Param, kCount> kParams = kTable;
const std::array<Switch, kSwitchCount> kSwitches = kSwitchTable;

const std::array<Title, kLabelCount> kTitles = {{
    {"Left Channel Waveforms", {240, 240, 1935, 255}, Align::Left},
    {"Right Channel Waveforms", {5760, 240, 1935, 255}, Align::Left},
    {"Freq", {6240, 3960, 855, 255}, Align::Left},
    {"L    AM    R    Base Speed Depth Offset", {240, 3960, 2895, 255}, Align::Left},
    {" Vol", {8760, 3960, 375, 255}, Align::Left},
    {"Depth", {4800, 3960, 495, 255}, Align::Left},
    {"  Speed", {4200, 3960, 615, 255}, Align::Left},
    {"Tune", {6720, 3960, 615, 255}, Align::Left},
    {"Free", {480, 6600, 375, 255}, Align::Left},
    {"L   Shift   R", {3360, 3960, 855, 255}, Align::Left},
    {"Offset Sync", {5280, 3960, 855, 255}, Align::Left},
    {"Free", {3600, 6600, 375, 255}, Align::Left},
    {" Pan", {8280, 3960, 375, 255}, Align::Left},
    {"Files in this Session", {7800, 120, 1455, 255}, Align::Center},
    {" Diff", {7200, 3960, 375, 255}, Align::Left},
    {"   DiffSync", {7440, 3960, 855, 255}, Align::Left},
    {"Offs", {1800, 7680, 495, 255}, Align::Left},
    {" L", {240, 7680, 375, 255}, Align::Left},
    {" R", {240, 8040, 375, 255}, Align::Left},
    {"Spd", {1800, 8040, 495, 255}, Align::Left},
}};

}  // namespace qv::params
