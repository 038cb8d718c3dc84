#include "gui/PictureView.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPointF>
#include <QWindow>
#include <vector>

#include "gui/Colors.h"

namespace qv {

PictureView::PictureView(const PictureBox& box, QWidget* parent) : QWidget(parent), box_(box) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureView::catch_up() {
    if (!behind_) return;
    behind_ = false;
    if (isHidden() == box_.visible()) setVisible(box_.visible());
    // A window that comes back into sight is painted whole anyway.
    const QWindow* shown = window()->windowHandle();
    if (shown && !shown->isExposed()) return;
    if (painted_all_ && box_.ops() == painted_) return;
    update();
}

void PictureView::set_picture(QImage picture) {
    picture_ = std::move(picture);
    update();
}

void PictureView::paintEvent(QPaintEvent* event) {
    painted_ = box_.ops();
    painted_all_ = event->rect() == rect();
    QPainter p(this);
    p.fillRect(
        rect(),
        resolve_color(box_.back_color, palette()).value_or(palette().color(QPalette::Window)));
    if (!picture_.isNull()) p.drawImage(rect(), picture_);

    const double sx = box_.scale_width != 0 ? width() / static_cast<double>(box_.scale_width) : 0;
    const double sy =
        box_.scale_height != 0 ? height() / static_cast<double>(box_.scale_height) : 0;
    const QColor fallback = palette().color(QPalette::WindowText);
    // The views set hundreds of points per tick: points of one colour go out in one call.
    std::vector<QPointF> points;
    Color points_color = 0;
    auto flush = [&] {
        if (points.empty()) return;
        p.setPen(QPen(resolve_color(points_color, palette()).value_or(fallback), 0));
        p.drawPoints(points.data(), static_cast<int>(points.size()));
        points.clear();
    };
    for (const PictureBox::Op& op : box_.ops()) {
        if (op.kind == PictureBox::Op::Kind::Point) {
            if (op.color != points_color) flush();
            points_color = op.color;
            points.emplace_back(op.x1 * sx, op.y1 * sy);
        } else {
            flush();
            p.setPen(QPen(resolve_color(op.color, palette()).value_or(fallback), 0));
            p.drawLine(QPointF(op.x1 * sx, op.y1 * sy), QPointF(op.x2 * sx, op.y2 * sy));
        }
    }
    flush();
}

}  // namespace qv
