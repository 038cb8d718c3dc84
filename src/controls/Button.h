#pragma once

#include <functional>
#include <string>
#include <utility>

#include "controls/Control.h"

namespace qv {

// A push button; a click reaches the handler only while the button is enabled.
class Button : public Control {
public:
    explicit Button(std::string caption = {}) : caption(std::move(caption)) {}
    std::string caption;
    std::function<void()> on_click;

    void click() {
        if (enabled() && on_click) on_click();
    }
};

}  // namespace qv
