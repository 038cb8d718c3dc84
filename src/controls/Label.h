#pragma once

#include <string>
#include <utility>

#include "controls/Control.h"

namespace qv {

// A transparent caption without behaviour.
class Label : public Control {
public:
    explicit Label(std::string caption = {}, Align alignment = Align::Left)
        : caption(std::move(caption)), alignment(alignment) {}
    std::string caption;
    Align alignment;
};

// A rectangle frame without behaviour.
class Shape : public Control {};

}  // namespace qv
