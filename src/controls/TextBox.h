#pragma once

#include <functional>
#include <string>
#include <utility>

#include "controls/Control.h"

namespace qv {

// A single-line text field. Every real change of the text, typed or written by the
// program, fires the change event at once, nested inside the write.
class TextBox : public Control {
public:
    explicit TextBox(std::string text = {}) : text_(std::move(text)) {}

    std::function<void()> on_change;
    Align alignment = Align::Left;
    // Shows what the program writes; the user cannot type into it.
    bool read_only = false;

    const std::string& text() const { return text_; }
    void set_text(std::string t) {
        if (t == text_) return;
        text_ = std::move(t);
        refresh();
        if (on_change) on_change();
    }

private:
    std::string text_;
};

}  // namespace qv
