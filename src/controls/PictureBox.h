#pragma once

#include <vector>

#include "controls/Control.h"

namespace qv {

// A drawing surface with its own user coordinate system (scale_width x scale_height
// units, x to the right, y downwards). It keeps what has been drawn since the last clear
// as a list of points and lines, which the window paints in order. Drawing a line over
// one of the same geometry replaces it, so markers drawn and erased again and again do
// not pile up.
class PictureBox : public Control {
public:
    struct Op {
        enum class Kind { Point, Line } kind;
        float x1, y1, x2, y2;
        Color color;
        bool operator==(const Op&) const = default;
    };

    PictureBox(float scale_width, float scale_height)
        : scale_width(scale_width), scale_height(scale_height) {}

    float scale_width;
    float scale_height;
    // Whether anybody can see the box: a drawing that is made again on every tick may
    // skip a box nobody sees. What is drawn once must be drawn all the same.
    bool watched = true;

    const std::vector<Op>& ops() const { return ops_; }

    void cls();
    void pset(float x, float y, Color color) {
        ops_.push_back({Op::Kind::Point, x, y, x, y, color});
        refresh();
    }
    void line(float x1, float y1, float x2, float y2, Color color);

private:
    std::vector<Op> ops_;
};

}  // namespace qv
