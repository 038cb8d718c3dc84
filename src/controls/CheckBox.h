#pragma once

#include "controls/Control.h"

namespace qv {

// A check box: 0 unchecked, 1 checked, 2 greyed (reachable only by a program write).
class CheckBox : public Control {
public:
    int value() const { return value_; }
    // Refuses (returns false) anything but 0, 1 or 2.
    bool set_value(int v) {
        if (v < 0 || v > 2) return false;
        if (v == value_) return true;
        value_ = v;
        refresh();
        return true;
    }

private:
    int value_ = 0;
};

}  // namespace qv
