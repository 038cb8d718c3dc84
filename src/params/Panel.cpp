#include "params/Panel.h"

#include <string>

#include "params/Numbers.h"

namespace qv {

Panel::Panel() {
    using params::kParams;
    for (int k = 0; k < params::kCount; ++k) {
        const params::Param& p = kParams[static_cast<std::size_t>(k)];
        const bool vertical = k < params::kVerticalCount;
        auto bar = std::make_unique<ScrollBar>(
            vertical ? ScrollBar::Orientation::Vertical : ScrollBar::Orientation::Horizontal, p.min,
            p.max, p.value);
        bar->rect = p.bar;
        bar->set_visible(p.visible);
        bars_[static_cast<std::size_t>(k)] = std::move(bar);

        auto text = std::make_unique<TextBox>(std::string(p.initial));
        text->rect = p.text;
        text->alignment = Align::Center;
        text->back_color = p.tint;
        text->tooltip = p.tooltip;
        text->set_visible(p.visible);
        texts_[static_cast<std::size_t>(k)] = std::move(text);
    }
    for (int i = 0; i < params::kSwitchCount; ++i) {
        auto box = std::make_unique<CheckBox>();
        box->rect = params::kSwitches[static_cast<std::size_t>(i)].rect;
        switches_[static_cast<std::size_t>(i)] = std::move(box);
    }
    for (int i = 0; i < params::kLabelCount; ++i) {
        const params::Title& t = params::kTitles[static_cast<std::size_t>(i)];
        auto label = std::make_unique<Label>(std::string(t.caption), t.alignment);
        label->rect = t.rect;
        titles_[static_cast<std::size_t>(i)] = std::move(label);
    }
}

void Panel::sc_Change(int k) {
    tx(k).set_text(numbers::value_to_text(sc(k).value()));
}

void Panel::hsc_Change(int k) {
    tx(k).set_text(numbers::value_to_text(hsc(k).value()));
}

void Panel::tx_Change(int k) {
    // An emptied text becomes "0"; its own nested change carries the 0 into the slider.
    if (tx(k).text().empty()) tx(k).set_text("0");

    // A modulated slider follows its text only while its "Free" switch is exactly 1.
    const int free = params::param(k).freed_by;
    if (free != params::kNoSwitch && ck(free).value() != 1) return;
    // A text that gives no number, or one the slider refuses, leaves the slider alone.
    if (auto value = numbers::text_to_value(tx(k).text())) bar(k).set_value(*value);
}

}  // namespace qv
