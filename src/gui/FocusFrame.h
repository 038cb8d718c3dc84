#pragma once

#include <QWidget>

namespace qv {

// The mark of the control that has the keyboard, the same on every kind of control: the
// styles draw focus faintly on the brushed metal, on some controls not at all. A child of
// the window above all the others, as large as the control and a pixel more on each side;
// the mouse goes through it to what lies beneath.
//
// Two lines of one pixel each go round the control: a black one just outside it and a
// white one on its outermost pixels, where the control draws its own border. The frame's
// background is what lies on either side of it: the metal, or a neighbour close by, outside
// and the control inside, in any palette. A colour's contrasts to black and to white
// multiply to 21, so one of the two lines stands more than 4.5:1 (the root of 21) from
// whatever the frame meets, above the 3:1 a mark needs; on the metal the black line alone
// stands 5:1 from its darkest grain. Only the black line leaves the control: it lies in the
// gap around it, or on the border of a neighbour that touches or overlaps it.
class FocusFrame : public QWidget {
public:
    // Follows the focus among the direct children of `window`.
    explicit FocusFrame(QWidget* window);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void follow(QWidget* focused);
};

}  // namespace qv
