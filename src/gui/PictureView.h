#pragma once

#include <QImage>
#include <QWidget>

#include "controls/PictureBox.h"

namespace qv {

// Paints a picture box: its back colour, an optional picture stretched over it, then the
// points and lines drawn so far, in the box's own coordinate system (scale_width x
// scale_height units over the whole widget).
class PictureView : public QWidget {
public:
    PictureView(const PictureBox& box, QWidget* parent);

    void set_picture(QImage picture);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const PictureBox& box_;
    QImage picture_;
};

}  // namespace qv
