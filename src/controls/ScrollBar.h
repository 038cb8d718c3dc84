#pragma once

#include <cstdint>
#include <functional>

#include "controls/Control.h"

namespace qv {

// An integer slider. A write outside min..max is refused and the value kept; the change
// event fires only on a real change, synchronously, nested inside the write. Arrow and
// trough clicks move the value by `step` (1); a thumb drag is reported by the window
// only when it is released, as one write.
class ScrollBar : public Control {
public:
    enum class Orientation { Vertical, Horizontal };

    ScrollBar(Orientation orientation, int min, int max, int value)
        : orientation_(orientation),
          min_(min),
          max_(max),
          value_(static_cast<std::int16_t>(value)) {}

    std::function<void()> on_change;

    Orientation orientation() const { return orientation_; }
    int min() const { return min_; }
    int max() const { return max_; }
    static constexpr int step = 1;
    std::int16_t value() const { return value_; }

    // Returns false (and keeps the value) when v lies outside min..max.
    bool set_value(long v) {
        if (v < min_ || v > max_) return false;
        if (v == value_) return true;
        value_ = static_cast<std::int16_t>(v);
        refresh();
        if (on_change) on_change();
        return true;
    }

    // A click on an arrow or the trough: one step towards `direction` (+1 or -1), if the
    // value is not already at that end.
    void click(int direction) {
        long v = value_ + (direction > 0 ? step : -step);
        if (v >= min_ && v <= max_) set_value(v);
    }

private:
    Orientation orientation_;
    int min_;
    int max_;
    std::int16_t value_;
};

}  // namespace qv
