#pragma once

#include <array>
#include <memory>

#include "controls/CheckBox.h"
#include "controls/Label.h"
#include "controls/ScrollBar.h"
#include "controls/TextBox.h"
#include "params/ParamTable.h"

namespace qv {

// The 38 parameter sliders with their text boxes, the four "Free" switches and the
// panel's titles, coupled so that each slider and its text follow each other:
// a slider change writes its value into the text; a text change writes its number into
// the slider, except for 22..25 while their "Free" switch is not exactly 1.
class Panel {
public:
    Panel();
    Panel(const Panel&) = delete;
    Panel& operator=(const Panel&) = delete;

    // Parameter k's slider: sc(k) for k 0..25, hsc(k) for k 26..37.
    ScrollBar& bar(int k) { return *bars_[static_cast<std::size_t>(k)]; }
    const ScrollBar& bar(int k) const { return *bars_[static_cast<std::size_t>(k)]; }
    ScrollBar& sc(int k) { return bar(k); }
    const ScrollBar& sc(int k) const { return bar(k); }
    ScrollBar& hsc(int k) { return bar(k); }
    TextBox& tx(int k) { return *texts_[static_cast<std::size_t>(k)]; }
    CheckBox& ck(int i) { return *switches_[static_cast<std::size_t>(i)]; }
    Label& Lbl(int i) { return *titles_[static_cast<std::size_t>(i)]; }

    // The change handlers, called by the controls' events.
    void sc_Change(int k);
    void hsc_Change(int k);
    void tx_Change(int k);

private:
    std::array<std::unique_ptr<ScrollBar>, params::kCount> bars_;
    std::array<std::unique_ptr<TextBox>, params::kCount> texts_;
    std::array<std::unique_ptr<CheckBox>, params::kSwitchCount> switches_;
    std::array<std::unique_ptr<Label>, params::kLabelCount> titles_;
};

}  // namespace qv
