#include "gui/MainWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDialog>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPaintEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>
#include <cmath>
#include <functional>
#include <optional>
#include <set>
#include <string_view>
#include <vector>

#include "Guide.h"
#include "gui/Accessibility.h"
#include "gui/Colors.h"
#include "gui/FocusFrame.h"
#include "gui/PictureView.h"
#include "gui/Skin.h"
#include "gui/SliderBar.h"
#include "timeline/KeyEntry.h"

namespace qv {

namespace {

int to_pixels(int twips) {
    return static_cast<int>(std::lround(static_cast<double>(twips) / MainWindow::kTwipsPerPixel));
}

QRect to_pixels(const Rect& r) {
    return {to_pixels(r.left), to_pixels(r.top), to_pixels(r.width), to_pixels(r.height)};
}

Qt::Alignment to_qt(Align align) {
    switch (align) {
        case Align::Center:
            return Qt::AlignHCenter;
        case Align::Right:
            return Qt::AlignRight;
        case Align::Left:
            break;
    }
    return Qt::AlignLeft;
}

QString to_qt(const std::string& text) {
    return QString::fromStdString(text);
}

// The part of every control's mirror that every kind shares.
void sync_state(const Control& control, QWidget* widget) {
    if (widget->isHidden() == control.visible()) widget->setVisible(control.visible());
    if (widget->isEnabled() != control.enabled()) widget->setEnabled(control.enabled());
}

// The control's own colours where it has them, the desktop's otherwise; and a text that
// stays readable when the two meet badly, as a dark desktop's light text on a control that
// keeps its light background, or on the brushed metal under a label (`on_skin`).
void apply_colors(QWidget* widget, const Control& control, QPalette::ColorRole fore,
                  QPalette::ColorRole back, bool on_skin = false) {
    const QPalette desktop = QApplication::palette();
    QPalette palette = widget->palette();
    if (auto color = resolve_color(control.fore_color, desktop)) palette.setColor(fore, *color);
    if (auto color = resolve_color(control.back_color, desktop)) palette.setColor(back, *color);
    const QColor under = on_skin ? QColor(kSkinShade) : palette.color(back);
    if (contrast(palette.color(fore), under) < 3.0) {
        // A colour the control names is kept; one that came from the desktop gives way.
        const bool fore_named = control.fore_color >= 0;
        const bool back_named = on_skin || control.back_color >= 0;
        if (fore_named && !back_named) {
            palette.setColor(back, black_or_white(palette.color(fore)));
        } else {
            palette.setColor(fore, black_or_white(under));
        }
    }
    widget->setPalette(palette);
}

// A caption wider than its control would be cut off: its font steps down until it fits.
void fit_caption(QWidget* widget, const QString& caption, int frame) {
    QFont font = widget->font();
    constexpr int kSmallest = 7;
    while (font.pixelSize() > kSmallest &&
           QFontMetrics(font).horizontalAdvance(caption) > widget->width() - frame) {
        font.setPixelSize(font.pixelSize() - 1);
    }
    widget->setFont(font);
}

// Greyed (2) is only ever set by the program; the user's click toggles between
// unchecked and checked, and a click on a greyed box checks it.
class FreeCheckBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override {
        setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    }
};

// A frame drawn around a group of controls. Only its rim is drawn, so the controls inside,
// which change often, do not make it draw again.
class ShapeFrame : public QFrame {
public:
    using QFrame::QFrame;

protected:
    void paintEvent(QPaintEvent* event) override {
        const QRegion rim =
            QRegion(rect()) - rect().adjusted(lineWidth(), lineWidth(), -lineWidth(), -lineWidth());
        if (event->region().intersects(rim)) QFrame::paintEvent(event);
    }
};

// Enter presses a button as Space does.
class KeyboardButton : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            animateClick();
            return;
        }
        QPushButton::keyPressEvent(event);
    }
};

// Enter on a row does what a double click does, so files load from the keyboard too.
class KeyboardList : public QListWidget {
public:
    explicit KeyboardList(QWidget* parent) : QListWidget(parent) {
        // Without a current row of its own, the view would make the first row current
        // when Tab arrives, which the form would take for the user's selection.
        setCurrentIndex(QModelIndex());
    }

    std::function<void(int)> on_enter;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if (enter && currentRow() >= 0 && on_enter) {
            on_enter(currentRow());
            return;
        }
        QListWidget::keyPressEvent(event);
    }
};

int check_value(Qt::CheckState state) {
    switch (state) {
        case Qt::Checked:
            return 1;
        case Qt::PartiallyChecked:
            return 2;
        case Qt::Unchecked:
            break;
    }
    return 0;
}

Qt::CheckState check_state(int value) {
    return value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked;
}

// Brings the rows of a list widget in line with the control's texts, touching only rows
// that differ (the widget may be inside its own double-click signal).
void sync_rows(QListWidget* widget, const std::vector<std::string>& texts) {
    const int count = static_cast<int>(texts.size());
    while (widget->count() > count) delete widget->takeItem(widget->count() - 1);
    for (int row = 0; row < count; ++row) {
        QString text = to_qt(texts[static_cast<std::size_t>(row)]);
        if (row < widget->count()) {
            if (widget->item(row)->text() != text) widget->item(row)->setText(text);
        } else {
            widget->addItem(text);
        }
    }
}

// Creates the widget of each control the form walks over and wires the two directions.
class WidgetBuilder {
public:
    explicit WidgetBuilder(QWidget* window) : window_(window) {}

    void operator()(ScrollBar& bar, std::string_view name, int index) {
        const bool vertical = bar.orientation() == ScrollBar::Orientation::Vertical;
        auto* w = place(new SliderBar(vertical ? Qt::Vertical : Qt::Horizontal, window_), bar, name,
                        index);
        w->setRange(bar.min(), bar.max());
        w->setSingleStep(ScrollBar::step);
        w->setPageStep(ScrollBar::step);
        if (name == "time") w->set_page_keys(10);  // ten seconds
        // A drag reaches the form once, when the thumb is released.
        w->setTracking(false);
        // Sizing pointers over every vertical slider and the switching sliders; the phase
        // sliders keep the arrow.
        if (name == "sc") {
            w->setCursor(Qt::SizeVerCursor);
        } else if (name == "hsc" && params::param(index).group == params::Group::Switching) {
            w->setCursor(Qt::SizeHorCursor);
        }
        QObject::connect(w, &QScrollBar::valueChanged, w,
                         [&bar, w] { bar.set_value(w->slider_value()); });
        bar.on_refresh = [&bar, w] {
            sync_state(bar, w);
            if (w->slider_value() != bar.value()) {
                QSignalBlocker quiet(w);
                w->set_slider_value(bar.value());
            }
        };
        bar.on_refresh();
    }

    void operator()(TextBox& text, std::string_view name, int index) {
        auto* w = place(new QLineEdit(window_), text, name, index);
        w->setReadOnly(text.read_only);
        w->setAlignment(to_qt(text.alignment) | Qt::AlignVCenter);
        w->setTextMargins(0, 0, 0, 0);
        QFont font = w->font();
        font.setStyleStrategy(QFont::PreferNoShaping);
        w->setFont(font);
        apply_colors(w, text, QPalette::Text, QPalette::Base);
        QObject::connect(w, &QLineEdit::textEdited, w,
                         [&text](const QString& typed) { text.set_text(typed.toStdString()); });
        text.on_refresh = [&text, w] {
            sync_state(text, w);
            QString t = to_qt(text.text());
            if (w->text() != t) w->setText(t);
        };
        text.on_refresh();
    }

    void operator()(CheckBox& box, std::string_view name, int index) {
        auto* w = place(new FreeCheckBox(window_), box, name, index);
        w->setTristate(true);
        QObject::connect(w, &QCheckBox::clicked, w,
                         [&box, w] { box.set_value(check_value(w->checkState())); });
        box.on_refresh = [&box, w] {
            sync_state(box, w);
            Qt::CheckState state = check_state(box.value());
            if (w->checkState() != state) {
                QSignalBlocker quiet(w);
                w->setCheckState(state);
            }
        };
        box.on_refresh();
    }

    void operator()(Button& button, std::string_view name, int index) {
        auto* w = place(new KeyboardButton(window_), button, name, index);
        apply_colors(w, button, QPalette::ButtonText, QPalette::Button);
        w->setFocusPolicy(Qt::TabFocus);
        QObject::connect(w, &QPushButton::clicked, w, [&button] { button.click(); });
        button.on_refresh = [&button, w] {
            sync_state(button, w);
            QString caption = to_qt(button.caption);
            if (w->text() != caption) {
                fit_caption(w, caption, 4);
                w->setText(caption);
                w->setAccessibleName(accessibility::button_name(button));
            }
        };
        button.on_refresh();
    }

    void operator()(ListBox& list, std::string_view name, int index) {
        list_widget(
            list, name, index, [&list]() -> const auto& { return list.items(); });
    }

    void operator()(FileListBox& list, std::string_view name, int index) {
        list_widget(
            list, name, index, [&list]() -> const auto& { return list.names(); });
    }

    void operator()(Label& label, std::string_view name, int index) {
        auto* w = place(new QLabel(window_), label, name, index);
        w->setTextFormat(Qt::PlainText);
        w->setAlignment(to_qt(label.alignment) | Qt::AlignTop);
        w->setAttribute(Qt::WA_TransparentForMouseEvents);
        apply_colors(w, label, QPalette::WindowText, QPalette::Window, true);
        label.on_refresh = [&label, w] {
            sync_state(label, w);
            QString caption = to_qt(label.caption);
            if (w->text() != caption) {
                fit_caption(w, caption, 0);
                w->setText(caption);
            }
        };
        label.on_refresh();
    }

    void operator()(Shape& shape, std::string_view name, int index) {
        auto* w = place(new ShapeFrame(window_), shape, name, index);
        w->setFrameStyle(QFrame::Box | QFrame::Plain);
        w->setAttribute(Qt::WA_TransparentForMouseEvents);
        apply_colors(w, shape, QPalette::WindowText, QPalette::Window, true);
        shape.on_refresh = [&shape, w] { sync_state(shape, w); };
        shape.on_refresh();
    }

    void operator()(PictureBox& box, std::string_view name, int index) {
        auto* w = place(new PictureView(box, window_), box, name, index);
        // Drawing is only recorded here; the view paints the whole list when Qt asks.
        // The views catch up together, once, after the handler that drew into them.
        auto* window = static_cast<MainWindow*>(window_);
        window->add_view(w);
        box.on_refresh = [w, window, strip = name == "Picture1"] {
            if (strip) window->key_strip_changed();
            if (w->changed()) window->views_changed();
        };
        sync_state(box, w);
    }

private:
    template <typename W>
    W* place(W* widget, const Control& control, std::string_view name, int index) {
        QString object_name = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
        if (index >= 0) object_name += QStringLiteral("(%1)").arg(index);
        widget->setObjectName(object_name);
        widget->setGeometry(to_pixels(control.rect));
        widget->setToolTip(to_qt(control.tooltip));
        QString accessible = accessibility::control_name(name, index, control.tooltip);
        if (!accessible.isEmpty()) widget->setAccessibleName(accessible);
        return widget;
    }

    template <typename List, typename Rows>
    void list_widget(List& list, std::string_view name, int index, Rows rows) {
        auto* w = place(new KeyboardList(window_), list, name, index);
        apply_colors(w, list, QPalette::Text, QPalette::Base);
        w->setSelectionMode(QAbstractItemView::SingleSelection);
        QObject::connect(w, &QListWidget::currentRowChanged, w,
                         [&list](int row) { list.set_list_index(row); });
        QObject::connect(w, &QListWidget::itemDoubleClicked, w,
                         [&list, w](QListWidgetItem* item) { list.double_click(w->row(item)); });
        w->on_enter = [&list](int row) { list.double_click(row); };
        list.on_refresh = [&list, w, rows] {
            sync_state(list, w);
            QSignalBlocker quiet(w);
            sync_rows(w, rows());
            if (w->currentRow() != list.list_index()) w->setCurrentRow(list.list_index());
        };
        list.on_refresh();
    }

    QWidget* window_;
};

}  // namespace

MainWindow::MainWindow(MainForm& form, QWidget* parent)
    : QWidget(parent),
      form_(form),
      background_(skin::background()),
      report_box_(new ReportBox(this)),
      media_(new MediaControls(form, *this)),
      inhibitor_(new SleepInhibitor(this)),
      noise_(new NoiseMenu(*this, form.toneOutput, *report_box_)),
      desktop_timer_(new QTimer(this)) {
    setWindowTitle(QString::fromUtf8(MainForm::kCaption));
    setWindowIcon(skin::window_icon());
    setFixedSize(to_pixels(MainForm::kClientWidth), to_pixels(MainForm::kClientHeight));
    // The captions were laid out for a small desktop font; this size lets each fit.
    QFont small = font();
    small.setPixelSize(10);
    setFont(small);

    form_.for_each_control(WidgetBuilder(this));
    // While the window cannot be seen its widgets wait; they catch up when it is seen again.
    // What the synthesis changes on one tick waits for the next (after_tick).
    form_.for_each_control([this](Control& control, std::string_view, int) {
        if (auto* box = dynamic_cast<PictureBox*>(&control)) boxes_.push_back(box);
        control.on_refresh = [this, &control, mirror = std::move(control.on_refresh)] {
            if (seen_ && !(hold_tick_ && form_.synthesizing())) {
                mirror();
            } else {
                behind_.insert(&control);
            }
        };
    });
    form_.after_synthesis = [this] { after_tick(); };
    QWidget* previous = nullptr;
    for (const QString& name : accessibility::tab_order()) {
        QWidget* next = control_widget(name);
        if (previous && next) setTabOrder(previous, next);
        if (next) previous = next;
    }
    new FocusFrame(this);
    if (auto* about = dynamic_cast<PictureView*>(control_widget(QStringLiteral("about")))) {
        about->set_picture(skin::splash());
    }
    form_.on_report = [this](const std::string& message) { report_box_->add(message); };
    // Keys no control takes, for the buttons used most; a screen reader names them too.
    const std::pair<const char*, QKeySequence> shortcuts[] = {
        {"play", Qt::Key_F5},
        {"pause", Qt::Key_F6},
        {"stop", Qt::Key_F7},
        {"execute", Qt::Key_F8},
        {"setkey", Qt::Key_F9},
        {"save", Qt::CTRL | Qt::Key_S},
        {"saveses", Qt::CTRL | Qt::SHIFT | Qt::Key_S}};
    for (const auto& [name, keys] : shortcuts) {
        auto* button = qobject_cast<QPushButton*>(control_widget(QString::fromLatin1(name)));
        connect(new QShortcut(keys, this), &QShortcut::activated, button, &QPushButton::click);
        button->setAccessibleDescription(QStringLiteral("Shortcut: ") +
                                         keys.toString(QKeySequence::NativeText));
    }
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this,
            &MainWindow::show_guide);
    describe_key_strip();
    // Once a second is soon enough for the desktop, and wakes the program seldom.
    connect(desktop_timer_, &QTimer::timeout, this, &MainWindow::tell_desktop);
    desktop_timer_->start(1000);
    tell_desktop();
}

void MainWindow::views_changed() {
    if (views_behind_) return;
    views_behind_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            views_behind_ = false;
            for (PictureView* view : views_) view->catch_up();
            if (keys_behind_) describe_key_strip();
        },
        Qt::QueuedConnection);
}

void MainWindow::key_strip_changed() {
    keys_behind_ = true;
    views_changed();
}

void MainWindow::describe_key_strip() {
    keys_behind_ = false;
    // A screen reader hears the seconds the markers stand for; a long list is cut short.
    constexpr int kNamed = 40;
    QStringList seconds;
    int more = 0;
    std::optional<double> last;
    for (const std::string& entry : form_.List2.items()) {
        const std::optional<double> second = key_entry::time_of(entry);
        if (!second || second == last) continue;
        last = second;
        if (seconds.size() < kNamed) {
            seconds << QString::number(*second);
        } else {
            ++more;
        }
    }
    QString text = seconds.isEmpty() ? QStringLiteral("No keys")
                                     : QStringLiteral("Keys at %1 s").arg(seconds.join(", "));
    if (more > 0) text += QStringLiteral(" and %1 more").arg(more);
    control_widget(QStringLiteral("Picture1"))->setAccessibleDescription(text);
}

void MainWindow::show_guide() {
    if (!guide_) {
        guide_ = new QDialog(this);
        guide_->setWindowTitle(QStringLiteral("How Quorvane's window works"));
        auto* text = new QPlainTextEdit(QString::fromUtf8(kGuide), guide_);
        text->setReadOnly(true);
        text->setObjectName(QStringLiteral("guide"));
        auto* layout = new QVBoxLayout(guide_);
        layout->addWidget(text);
        guide_->resize(620, 520);
    }
    guide_->show();
    guide_->raise();
    guide_->activateWindow();
}

void MainWindow::showEvent(QShowEvent* event) {
    if (!watching_exposure_ && windowHandle()) {
        watching_exposure_ = true;
        windowHandle()->installEventFilter(this);
    }
    QWidget::showEvent(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Expose && watched == windowHandle())
        set_seen(windowHandle()->isExposed());
    return QWidget::eventFilter(watched, event);
}

void MainWindow::set_seen(bool seen) {
    if (seen == seen_) return;
    seen_ = seen;
    watch_views();
    show_held();
}

void MainWindow::show_held() {
    if (!seen_) return;
    std::set<Control*> behind;
    behind.swap(behind_);
    for (Control* control : behind) control->on_refresh();
}

void MainWindow::after_tick() {
    // The synthesis moves sliders, texts and views on every tick; each drawing costs the
    // same whatever it shows, so the window shows every other tick, the tick held back
    // together with the next. The modulators are slow enough to look as smooth.
    if (!hold_tick_) show_held();
    hold_tick_ = !hold_tick_;
    watch_views();
}

void MainWindow::watch_views() {
    // Views nobody sees are not drawn, and neither are those of a held tick: the tick
    // after it draws them anew.
    for (PictureBox* box : boxes_) box->watched = seen_ && !hold_tick_;
}

void MainWindow::tell_desktop() {
    media_->refresh();
    inhibitor_->set_wanted(!unloaded_ && form_.keeps_awake());
}

MainWindow::~MainWindow() {
    form_.on_report = nullptr;
    form_.after_synthesis = nullptr;
    form_.for_each_control(
        [](Control& control, std::string_view, int) { control.on_refresh = nullptr; });
}

QWidget* MainWindow::control_widget(const QString& name) const {
    return findChild<QWidget*>(name, Qt::FindDirectChildrenOnly);
}

void MainWindow::paintEvent(QPaintEvent* event) {
    // Only the parts asked for: Qt splits a large image over threads, which for the few
    // rows under a changed control costs far more than it saves.
    QPainter p(this);
    for (const QRect& part : event->region()) p.drawImage(part, background_, part);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!unloaded_) {
        unloaded_ = true;
        desktop_timer_->stop();
        inhibitor_->let_go();
        form_.Form_Unload();
    }
    event->accept();
}

}  // namespace qv
