#include "controls/PictureBox.h"

#include <algorithm>

namespace qv {

void PictureBox::cls() {
    ops_.clear();
    refresh();
}

void PictureBox::line(float x1, float y1, float x2, float y2, Color color) {
    std::erase_if(ops_, [&](const Op& op) {
        return op.kind == Op::Kind::Line && op.x1 == x1 && op.y1 == y1 && op.x2 == x2 &&
               op.y2 == y2;
    });
    ops_.push_back({Op::Kind::Line, x1, y1, x2, y2, color});
    refresh();
}

}  // namespace qv
