#include "gui/PictureView.h"

#include <QPainter>
#include <QPointF>
#include <QWindow>
#include <cmath>

#include "gui/Colors.h"

namespace qv {

PictureView::PictureView(const PictureBox& box, QWidget* parent) : QWidget(parent), box_(box) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureView::catch_up() {
    if (!behind_) return;
    behind_ = false;
    if (isHidden() == box_.visible()) setVisible(box_.visible());
    if (canvas_current_ && box_.ops() == drawn_) return;
    canvas_current_ = false;
    // A window that comes back into sight is painted whole anyway, and draws then.
    const QWindow* shown = window()->windowHandle();
    if (shown && !shown->isExposed()) return;
    update();
}

void PictureView::set_picture(QImage picture) {
    picture_ = std::move(picture);
    canvas_current_ = false;
    update();
}

void PictureView::draw() {
    const qreal ratio = devicePixelRatioF();
    const QSize pixels(static_cast<int>(std::ceil(width() * ratio)),
                       static_cast<int>(std::ceil(height() * ratio)));
    if (canvas_current_ && canvas_.size() == pixels && canvas_.devicePixelRatio() == ratio) return;
    canvas_current_ = true;
    drawn_ = box_.ops();
    if (canvas_.size() != pixels) canvas_ = QImage(pixels, QImage::Format_RGB32);
    canvas_.setDevicePixelRatio(ratio);
    canvas_.fill(
        resolve_color(box_.back_color, palette()).value_or(palette().color(QPalette::Window)));
    QPainter painter;
    if (!picture_.isNull()) {
        painter.begin(&canvas_);
        painter.drawImage(rect(), picture_);
    }

    const double sx = box_.scale_width != 0 ? width() / static_cast<double>(box_.scale_width) : 0;
    const double sy =
        box_.scale_height != 0 ? height() / static_cast<double>(box_.scale_height) : 0;
    const QRgb fallback = palette().color(QPalette::WindowText).rgb();
    auto rgb_of = [&](Color color) {
        if (color >= 0) return qRgb(color & 0xff, (color >> 8) & 0xff, (color >> 16) & 0xff);
        return resolve_color(color, palette()).value_or(QColor(fallback)).rgb();
    };
    auto set = [&](double x, double y, QRgb rgb) {
        if (x >= 0 && y >= 0 && x < pixels.width() && y < pixels.height())
            reinterpret_cast<QRgb*>(canvas_.scanLine(static_cast<int>(y)))[static_cast<int>(x)] =
                rgb;
    };
    // The views set hundreds of points a tick and the time line's markers are upright
    // lines: both are written straight into the image, each pixel as Qt's one-pixel pen
    // sets it (a point is the pixel nearest to it; an upright line fills the column it
    // lies in, from the row of one end to the row of the other). Other lines go through
    // the painter.
    for (const PictureBox::Op& op : drawn_) {
        const QRgb rgb = rgb_of(op.color);
        if (op.kind == PictureBox::Op::Kind::Point) {
            if (painter.isActive()) painter.end();
            set(std::floor(op.x1 * sx * ratio + 0.5), std::floor(op.y1 * sy * ratio + 0.5), rgb);
        } else if (op.x1 == op.x2) {
            if (painter.isActive()) painter.end();
            const double x = std::floor(op.x1 * sx * ratio);
            const double low = std::floor(std::min(op.y1, op.y2) * sy * ratio);
            const double high = std::floor(std::max(op.y1, op.y2) * sy * ratio);
            for (double y = std::max(low, 0.0); y <= high && y < pixels.height(); ++y)
                set(x, y, rgb);
        } else {
            if (!painter.isActive()) painter.begin(&canvas_);
            painter.setPen(QPen(QColor(rgb), 0));
            painter.drawLine(QPointF(op.x1 * sx, op.y1 * sy), QPointF(op.x2 * sx, op.y2 * sy));
        }
    }
}

void PictureView::paintEvent(QPaintEvent*) {
    draw();
    QPainter(this).drawImage(QPointF(0, 0), canvas_);
}

}  // namespace qv
