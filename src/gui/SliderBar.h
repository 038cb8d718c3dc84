#pragma once

#include <QPixmap>
#include <QPixmapCache>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <tuple>
#include <vector>

namespace qv {

// A scroll bar that holds one parameter of the panel. Vertical bars have their maximum at
// the top: Qt's vertical bars grow downwards, and inverting their appearance would turn
// arrows and trough against the thumb, so the bar keeps Qt's position and the slider's
// value is that position mirrored within the range. Everything that talks to the user
// in values (the program, screen readers, the wheel) goes through `slider_value`.
class SliderBar : public QScrollBar {
    Q_OBJECT

public:
    SliderBar(Qt::Orientation orientation, QWidget* parent);

    int slider_value() const { return mirrored(value()); }
    // How far Page Up and Page Down move the value (the page step otherwise).
    void set_page_keys(int step) { page_keys_ = step; }
    // Moves the thumb; valueChanged follows as for any other move.
    void set_slider_value(int value) { setValue(mirrored(value)); }
    // Tests compare the bar laid together from its trough and thumb with its whole drawing.
    void compose_for_tests(bool on) {
        composing_ = on;
        update();
    }

protected:
    // One notch moves the value by one step, as an arrow click does: up (or a tilt to the
    // right) raises it. Qt's own wheel moves several lines and runs against the value on
    // horizontal bars.
    void wheelEvent(QWheelEvent* event) override;
    // The arrow keys move the thumb the way they point (Qt's scroll bar turns left and
    // right around); Home and End go to the lowest and highest value.
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void sliderChange(SliderChange change) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int mirrored(int v) const {
        return orientation() == Qt::Vertical ? minimum() + maximum() - v : v;
    }

    void move_by(int delta);
    // What is kept for each value: where the style puts the thumb, and the bar as the
    // style draws it, neither lit nor pressed. The style's gradients and lines cost far
    // more than an image; a bar the program moves on every tick comes back to the same few
    // looks. The looks live in Qt's pixmap cache, which bounds their memory.
    struct Kept {
        QRect thumb;
        QPixmapCache::Key look;
    };
    Kept& kept();
    QRect thumb();
    QPixmap look();
    // Between the arrows a bar is its trough with the thumb laid on it, the same wherever
    // it stands. Both are taken once from two whole drawings, with the thumb at a quarter
    // and at three quarters: the trough from the first with the second's pixels where the
    // first's thumb lies, the thumb with its rim from the first. The bar at either end
    // (an arrow greyed), with a thumb near an arrow or at a fractional pixel ratio is
    // drawn whole.
    bool paint_composed(QPainter& painter);
    bool keep_trough_and_thumb(QPixmap& trough, QPixmap& thumb);
    // The style's option, thumb and whole drawing with the thumb at a position of Qt's.
    QStyleOptionSlider option_at(int position);
    QRect thumb_at(int position);
    QPixmap drawn_at(int position);
    static constexpr int kRim = 2;  // the style draws the thumb with a rim around it
    QRect rimmed(const QRect& thumb) const;
    bool between_arrows(const QRect& rim);

    std::vector<Kept> kept_;
    QPixmapCache::Key trough_;
    QPixmapCache::Key thumb_look_;
    QRect thumb_rim_;  // where the kept thumb was taken from
    QRect groove_;
    bool composing_ = true;
    std::tuple<qreal, int, qint64> kept_for_{};
    QRect thumb_;  // where the thumb was last put
    bool at_end_ = false;

    int wheel_rest_ = 0;  // what a fine-grained wheel turned short of a notch
    int page_keys_ = 0;
};

}  // namespace qv
