#include "gui/FocusFrame.h"

#include <QApplication>
#include <QPainter>

namespace qv {

FocusFrame::FocusFrame(QWidget* window) : QWidget(window) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { follow(now); });
    follow(QApplication::focusWidget());
}

void FocusFrame::follow(QWidget* focused) {
    // The focus in another window (a dialog of this one included), or in none.
    if (!focused || focused == this || focused->isWindow() ||
        focused->parentWidget() != parentWidget()) {
        hide();
        return;
    }
    setGeometry(focused->geometry().adjusted(-1, -1, 1, 1));
    raise();
    show();
}

void FocusFrame::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // Whole pixels of the window, filled rather than stroked: at any scale they land where
    // the control's own edge does.
    auto ring = [&p](const QRect& r, Qt::GlobalColor color) {
        p.fillRect(r.left(), r.top(), r.width(), 1, color);
        p.fillRect(r.left(), r.bottom(), r.width(), 1, color);
        p.fillRect(r.left(), r.top() + 1, 1, r.height() - 2, color);
        p.fillRect(r.right(), r.top() + 1, 1, r.height() - 2, color);
    };
    ring(rect(), Qt::black);
    ring(rect().adjusted(1, 1, -1, -1), Qt::white);
}

}  // namespace qv
