#pragma once

#include <QImage>
#include <QWidget>
#include <vector>

#include "controls/PictureBox.h"

namespace qv {

// Shows a picture box: its back colour, an optional picture stretched over it, then the
// points and lines drawn so far, in the box's own coordinate system (scale_width x
// scale_height units over the whole widget). The drawing is made in an image of the
// widget's own pixels, points written straight into it, and a paint only shows the image.
class PictureView : public QWidget {
public:
    PictureView(const PictureBox& box, QWidget* parent);

    void set_picture(QImage picture);
    // The box changed. A tick draws hundreds of points one by one: the view is only
    // marked, and catches up once the tick is over (catch_up), drawing only while the
    // window can be seen and the drawing differs from what it shows.
    // Returns whether it was up to date until now.
    bool changed() {
        const bool was_current = !behind_;
        behind_ = true;
        return was_current;
    }
    void catch_up();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Draws the box's list into the image, if it is not what the image shows.
    void draw();

    const PictureBox& box_;
    QImage picture_;
    QImage canvas_;
    bool behind_ = false;
    // What the image shows: a tick that draws the same again needs no paint.
    std::vector<PictureBox::Op> drawn_;
    bool canvas_current_ = false;
};

}  // namespace qv
