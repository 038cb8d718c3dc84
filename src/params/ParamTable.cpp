#include "params/ParamTable.h"

namespace qv::params {

namespace {

constexpr int kTextW = 375, kTextH = 285;

constexpr Param amp(int left, std::string_view name) {
    return {0, 100, 0, {left, 480, 375, 2055}, {left, 2640, kTextW, kTextH}, true, name};
}
constexpr Param row(int left, int max, int value, std::string_view name, bool visible = true) {
    return {0, max, value, {left, 4200, 375, 1935}, {left, 6240, kTextW, kTextH}, visible, name};
}
constexpr Param phase(int left, std::string_view name) {
    return {0, 100, 0, {left, 3240, 375, 255}, {left, 3000, kTextW, kTextH}, true, name};
}
constexpr Param switching(int left, int top, int text_left, int value, std::string_view name) {
    return {0, 100, value, {left, top, 735, 255}, {text_left, top, kTextW, kTextH}, true, name};
}

}  // namespace

const std::array<Param, kCount> kParams = {{
    amp(240, "Left partial 1 amplitude"),
    amp(720, "Left partial 2 amplitude"),
    amp(1200, "Left partial 3 amplitude"),
    amp(1680, "Left partial 4 amplitude"),
    amp(5760, "Right partial 1 amplitude"),
    amp(6240, "Right partial 2 amplitude"),
    amp(6720, "Right partial 3 amplitude"),
    amp(7200, "Right partial 4 amplitude"),
    row(6240, 50, 15, "Freq", false),
    row(6720, 100, 20, "Tune"),
    row(1200, 100, 50, "AM base"),
    row(1680, 100, 0, "AM speed"),
    row(2160, 50, 0, "AM depth"),
    row(2640, 100, 0, "AM offset"),
    row(8280, 20, 10, "Pan"),
    row(8760, 100, 0, "Vol"),
    row(4320, 100, 0, "Shift speed"),
    row(4800, 100, 0, "Shift depth"),
    row(5280, 100, 0, "Shift offset"),
    row(5760, 100, 0, "Shift sync"),
    row(7200, 100, 0, "Diff"),
    row(7680, 100, 0, "DiffSync"),
    row(3360, 100, 50, "Left shift"),
    row(3840, 100, 50, "Right shift"),
    row(240, 100, 100, "Left amplitude"),
    row(720, 100, 100, "Right amplitude"),
    phase(240, "Left partial 1 phase"),
    phase(720, "Left partial 2 phase"),
    phase(1200, "Left partial 3 phase"),
    phase(1680, "Left partial 4 phase"),
    phase(5760, "Right partial 1 phase"),
    phase(6240, "Right partial 2 phase"),
    phase(6720, "Right partial 3 phase"),
    phase(7200, "Right partial 4 phase"),
    switching(480, 7680, 1200, 100, "Left on time"),
    switching(480, 8040, 1200, 100, "Right on time"),
    switching(2160, 7680, 2880, 0, "Switching offset"),
    switching(2160, 8040, 2880, 0, "Switching speed"),
}};

const std::array<Switch, kSwitchCount> kSwitches = {{
    {{240, 6600, 200, 195}, "Left amplitude free"},
    {{885, 6600, 200, 195}, "Right amplitude free"},
    {{3360, 6600, 200, 195}, "Left shift free"},
    {{4020, 6600, 200, 195}, "Right shift free"},
}};

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

std::string_view initial_text(int k) {
    if (k < kVerticalCount) return "";
    return (k == 34 || k == 35) ? "100" : "0";
}

Color text_back_color(int k) { return (k >= 26 && k <= 33) ? rgb(224, 224, 224) : kMenuColor; }

std::string_view text_tooltip(int k) {
    switch (k) {
        case 34: return "  Defines, how long Left Channel is off/on  ";
        case 35: return "  Defines, how long Right Channel is off/on  ";
        case 36: return " Offset for switching  ";
        case 37: return "  Speed of switching (Use same value with am speed to get sync)   ";
        default: return "";
    }
}

}  // namespace qv::params
