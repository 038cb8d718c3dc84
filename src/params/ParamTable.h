#pragma once

#include <array>
#include <string_view>

#include "controls/Control.h"

// The parameter panel as data: every slider, text box, "Free" switch and title of the
// panel with its range, default and place on the window (twips).
namespace qv::params {

inline constexpr int kCount = 38;          // parameters 0..37
inline constexpr int kVerticalCount = 26;  // sc(0..25); hsc(26..37) follow
inline constexpr int kSwitchCount = 4;     // ck(0..3)
inline constexpr int kLabelCount = 20;     // Lbl(0..19)

struct Param {
    int min;
    int max;
    int value;       // default when the window opens
    Rect bar;        // sc(k) or hsc(k)
    Rect text;       // tx(k)
    bool visible;    // sc(8) and tx(8) are never shown
    std::string_view name;  // what the parameter is, for people (tooltips of assistive tools)
};

struct Switch {
    Rect rect;
    std::string_view name;
};

struct Title {
    std::string_view caption;  // blanks are part of the caption
    Rect rect;
    Align alignment;
};

extern const std::array<Param, kCount> kParams;
extern const std::array<Switch, kSwitchCount> kSwitches;
extern const std::array<Title, kLabelCount> kTitles;

// Initial text of tx(k): empty for 0..25 (the first synthesis tick fills them), the
// slider's value for 26..37.
std::string_view initial_text(int k);
// Background of tx(k): the menu colour, or light grey for the phase texts 26..33.
Color text_back_color(int k);
// Tooltip of tx(k); only the switching texts 34..37 have one.
std::string_view text_tooltip(int k);

}  // namespace qv::params
