#include "gui/SliderBar.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmapCache>
#include <QStyleOption>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace qv {

namespace {

// Screen readers hear the slider's value, not Qt's mirrored position.
class SliderBarAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit SliderBarAccessible(SliderBar* bar) : QAccessibleWidget(bar, QAccessible::Slider) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return QString::number(bar()->slider_value());
        return QAccessibleWidget::text(t);
    }

    QVariant currentValue() const override { return bar()->slider_value(); }
    void setCurrentValue(const QVariant& value) override { bar()->set_slider_value(value.toInt()); }
    QVariant maximumValue() const override { return bar()->maximum(); }
    QVariant minimumValue() const override { return bar()->minimum(); }
    QVariant minimumStepSize() const override { return bar()->singleStep(); }

private:
    SliderBar* bar() const { return static_cast<SliderBar*>(widget()); }
};

QAccessibleInterface* slider_bar_accessible(const QString& class_name, QObject* object) {
    if (class_name != QLatin1String(SliderBar::staticMetaObject.className())) return nullptr;
    auto* bar = qobject_cast<SliderBar*>(object);
    return bar ? new SliderBarAccessible(bar) : nullptr;
}

constexpr int kNotch = 120;  // angle delta of one wheel notch, in eighths of a degree

}  // namespace

SliderBar::SliderBar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent) {
    static const bool factory_installed = [] {
        QAccessible::installFactory(slider_bar_accessible);
        return true;
    }();
    (void)factory_installed;
    // Tab reaches the bar; a click on it leaves the focus where the user was typing.
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void SliderBar::wheelEvent(QWheelEvent* event) {
    QPoint delta = event->angleDelta();
    // With "natural" scrolling the desktop reverses the deltas; a slider follows the hand.
    if (event->inverted()) delta = -delta;
    int up = 0;
    if (std::abs(delta.y()) >= std::abs(delta.x())) {
        up = delta.y();
    } else if (orientation() == Qt::Horizontal) {
        up = -delta.x();  // a positive x is a tilt to the left
    }
    if (up == 0) {
        event->ignore();
        return;
    }
    if ((up > 0) != (wheel_rest_ > 0)) wheel_rest_ = 0;
    wheel_rest_ += up;
    const int notches = wheel_rest_ / kNotch;
    wheel_rest_ -= notches * kNotch;
    move_by(notches * singleStep());
    event->accept();
}

void SliderBar::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Up:
        case Qt::Key_Right:
            move_by(singleStep());
            break;
        case Qt::Key_Down:
        case Qt::Key_Left:
            move_by(-singleStep());
            break;
        case Qt::Key_PageUp:
            move_by(page_keys_ > 0 ? page_keys_ : pageStep());
            break;
        case Qt::Key_PageDown:
            move_by(page_keys_ > 0 ? -page_keys_ : -pageStep());
            break;
        case Qt::Key_Home:
            set_slider_value(minimum());
            break;
        case Qt::Key_End:
            set_slider_value(maximum());
            break;
        default:
            QScrollBar::keyPressEvent(event);
            return;
    }
    event->accept();
}

void SliderBar::move_by(int delta) {
    if (delta != 0) set_slider_value(std::clamp(slider_value() + delta, minimum(), maximum()));
}

SliderBar::Kept& SliderBar::kept() {
    // What the looks were made for; anything else makes them all anew.
    const qreal ratio = devicePixelRatioF();
    const int state = (isEnabled() ? 1 : 0) | (isActiveWindow() ? 2 : 0) | (hasFocus() ? 4 : 0);
    const qint64 colours = palette().cacheKey();
    const auto values = static_cast<std::size_t>(maximum() - minimum() + 1);
    if (kept_.size() != values || kept_for_ != std::tuple(ratio, state, colours)) {
        kept_.assign(values, Kept());
        kept_for_ = {ratio, state, colours};
        trough_ = thumb_look_ = QPixmapCache::Key();
        groove_ = QRect();
    }
    return kept_[static_cast<std::size_t>(value() - minimum())];
}

QRect SliderBar::thumb() {
    Kept& kept = this->kept();
    if (kept.thumb.isNull()) kept.thumb = thumb_at(value());
    return kept.thumb;
}

void SliderBar::resizeEvent(QResizeEvent* event) {
    kept_.clear();
    QScrollBar::resizeEvent(event);
}

void SliderBar::changeEvent(QEvent* event) {
    if (event->type() == QEvent::StyleChange) kept_.clear();
    QScrollBar::changeEvent(event);
}

void SliderBar::sliderChange(SliderChange change) {
    if (change != SliderValueChange) kept_.clear();
    const QRect was = thumb_;
    const bool was_at_end = at_end_;
    thumb_ = thumb();
    at_end_ = value() == minimum() || value() == maximum();
    // A new value moves only the thumb: its old and new places are drawn again, and not
    // the arrows, with the labels and frames that touch them. The style draws the thumb
    // with a rim just outside its rectangle.
    if (change != SliderValueChange || !was.isValid() || at_end_ != was_at_end) {
        QScrollBar::sliderChange(change);
    } else if (thumb_ != was) {
        update(rimmed(thumb_ | was));
    }
}

QPixmap SliderBar::look() {
    Kept& kept = this->kept();
    QPixmap look;
    if (QPixmapCache::find(kept.look, &look)) return look;
    look = drawn_at(value());
    kept.look = QPixmapCache::insert(look);
    return look;
}

QStyleOptionSlider SliderBar::option_at(int position) {
    QStyleOptionSlider option;
    initStyleOption(&option);
    option.sliderPosition = option.sliderValue = position;
    option.subControls = QStyle::SC_All;
    return option;
}

QRect SliderBar::thumb_at(int position) {
    const QStyleOptionSlider option = option_at(position);
    return style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
}

QPixmap SliderBar::drawn_at(int position) {
    const QStyleOptionSlider option = option_at(position);
    const qreal ratio = devicePixelRatioF();
    QPixmap look(size() * ratio);
    look.setDevicePixelRatio(ratio);
    QPainter p(&look);
    style()->drawComplexControl(QStyle::CC_ScrollBar, &option, &p, this);
    return look;
}

QRect SliderBar::rimmed(const QRect& thumb) const {
    return thumb.adjusted(-kRim, -kRim, kRim, kRim) & rect();
}

bool SliderBar::between_arrows(const QRect& rim) {
    if (groove_.isNull()) {
        const QStyleOptionSlider option = option_at(value());
        groove_ = style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarGroove,
                                          this);
    }
    // The thumb's shade reaches a little past its rim: that far, too, it must not touch
    // an arrow.
    const QRect shade = rim.adjusted(-2 * kRim, -2 * kRim, 2 * kRim, 2 * kRim);
    return orientation() == Qt::Vertical
               ? groove_.top() <= shade.top() && shade.bottom() <= groove_.bottom()
               : groove_.left() <= shade.left() && shade.right() <= groove_.right();
}

bool SliderBar::keep_trough_and_thumb(QPixmap& trough, QPixmap& thumb) {
    const int quarter = (maximum() - minimum()) / 4;
    const int from = minimum() + quarter;
    const int to = maximum() - quarter;
    thumb_rim_ = rimmed(thumb_at(from));
    const QRect elsewhere = rimmed(thumb_at(to));
    if (thumb_rim_.intersects(elsewhere) || !between_arrows(thumb_rim_) ||
        !between_arrows(elsewhere))
        return false;
    const qreal ratio = devicePixelRatioF();
    auto part = [&](const QPixmap& look) {
        QPixmap part = look.copy(QRect(thumb_rim_.topLeft() * ratio, thumb_rim_.size() * ratio));
        part.setDevicePixelRatio(ratio);
        return part;
    };
    trough = drawn_at(from);
    thumb = part(trough);
    QPainter(&trough).drawPixmap(thumb_rim_.topLeft(), part(drawn_at(to)));
    trough_ = QPixmapCache::insert(trough);
    thumb_look_ = QPixmapCache::insert(thumb);
    return true;
}

bool SliderBar::paint_composed(QPainter& painter) {
    const qreal ratio = devicePixelRatioF();
    if (!composing_ || ratio != std::floor(ratio) || value() == minimum() || value() == maximum())
        return false;
    const QRect rim = rimmed(thumb());
    if (!between_arrows(rim)) return false;
    QPixmap trough, thumb;
    if ((!QPixmapCache::find(trough_, &trough) || !QPixmapCache::find(thumb_look_, &thumb)) &&
        !keep_trough_and_thumb(trough, thumb))
        return false;
    if (rim.size() != thumb_rim_.size()) return false;
    painter.drawPixmap(0, 0, trough);
    painter.drawPixmap(rim.topLeft(), thumb);
    return true;
}

void SliderBar::paintEvent(QPaintEvent* event) {
    // A bar under the mouse or while a button is held is drawn as Qt draws it (only Qt
    // knows which part is lit or pressed); otherwise its look is shown.
    if (underMouse() || QApplication::mouseButtons() != Qt::NoButton) {
        QScrollBar::paintEvent(event);
    } else {
        QPainter painter(this);
        if (!paint_composed(painter)) painter.drawPixmap(0, 0, look());
    }
}

}  // namespace qv
