#include <QAccessible>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QWheelEvent>

#include "WindowFixture.h"

using namespace qv;

class KeyboardTest : public QObject {
    Q_OBJECT
    std::unique_ptr<OpenWindow> w_;

    // Presses Tab (or Shift+Tab) until the focus is back where it started; the widgets it
    // passed, from the starting one on.
    static QStringList walk(Qt::KeyboardModifiers modifiers = {}) {
        QStringList names;
        QWidget* start = QApplication::focusWidget();
        for (QWidget* at = start; at && names.size() < 500 && (names.empty() || at != start);
             at = QApplication::focusWidget()) {
            names << at->objectName();
            QTest::keyClick(at, Qt::Key_Tab, modifiers);
        }
        return names;
    }
    QString spoken(const QString& name) {
        return QAccessible::queryAccessibleInterface(w_->widget(name))->text(QAccessible::Name);
    }
    QRect place(const QString& name) { return w_->widget(name)->geometry(); }

private slots:
    void init() { w_ = std::make_unique<OpenWindow>(); }
    void cleanup() { w_.reset(); }

    void tab_reaches_every_control_once_as_the_window_reads() {
        QCOMPARE(QApplication::focusWidget(), w_->widget("sc(0)"));
        const QStringList forward = walk();
        QStringList inputs, sorted = forward, transport;
        for (QWidget* w : w_->window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (w->isVisible() && (qobject_cast<QScrollBar*>(w) || qobject_cast<QLineEdit*>(w) ||
                                   qobject_cast<QCheckBox*>(w) || qobject_cast<QPushButton*>(w) ||
                                   qobject_cast<QListWidget*>(w)))
                inputs << w->objectName();
        }
        sorted.sort();
        inputs.sort();
        QCOMPARE(sorted, inputs);       // each once, the hidden sc(8), tx(8) and List2 never
        for (int k = 0; k < 38; ++k) {  // a parameter's slider and its value side by side
            const QString bar = QStringLiteral("%1(%2)").arg(k < 26 ? "sc" : "hsc").arg(k);
            const qsizetype text = forward.indexOf(QStringLiteral("tx(%1)").arg(k));
            if (k != 8) QCOMPARE(std::abs(forward.indexOf(bar) - text), 1);
        }
        // What a frame holds is walked in one go; the transport block reads in rows.
        for (int i = 0; i < 4; ++i) {
            QList<qsizetype> inside;
            for (qsizetype n = 0; n < forward.size(); ++n)
                if (place(QStringLiteral("sh(%1)").arg(i)).contains(place(forward[n]))) inside << n;
            QVERIFY(inside.size() >= 8);
            QCOMPARE(inside.back() - inside.front() + 1, inside.size());
        }
        for (const QString& name : forward)
            if (place(name).top() >= 504 && place(name).left() >= 232) transport << name;
        QStringList reading = transport;
        std::stable_sort(reading.begin(), reading.end(), [&](const QString& a, const QString& b) {
            return std::pair(place(a).top(), place(a).left()) <
                   std::pair(place(b).top(), place(b).left());
        });
        QCOMPARE(transport.size(), 11);
        QCOMPARE(transport, reading);
        QStringList backward = walk(Qt::ShiftModifier);
        std::reverse(backward.begin() + 1, backward.end());
        QCOMPARE(backward, forward);
        w_->form.play.set_enabled(false);
        QVERIFY(!walk().contains("play"));
    }

    void every_control_is_named_from_its_label_or_caption() {
        QSet<QString> names;
        for (const QString& name : walk()) {
            QVERIFY2(!spoken(name).isEmpty() && !names.contains(spoken(name)), qPrintable(name));
            names << spoken(name);
        }
        for (auto [control, name] : {std::pair{"sc(9)", "Tune"},
                                     {"sc(15)", "Vol"},
                                     {"sc(1)", "Left partial 2 amplitude"},
                                     {"hsc(29)", "Left partial 4 phase"},
                                     {"tx(37)", "Switching speed value"},
                                     {"ck(3)", "Right shift free"},
                                     {"Text2", "Time in seconds"},
                                     {"List1", "Files in this Session"},
                                     {"WF1PB", "Left Waveform view"}})
            QCOMPARE(spoken(control), QString(name));
        w_->form.play.caption = "Again";
        w_->form.play.set_enabled(false);
        QCOMPARE(spoken("play"), QStringLiteral("Again"));
        // A screen reader hears and sets the value, not the mirrored position.
        auto* tune = QAccessible::queryAccessibleInterface(w_->widget("sc(9)"))->valueInterface();
        QCOMPARE(tune->currentValue().toInt(), 20);
        tune->setCurrentValue(35);
        QCOMPARE(w_->panel().tx(9).text(), "35");
    }

    void keys_and_wheel_move_a_slider_one_step_towards_its_arrow() {
        QWidget* tune = w_->widget("sc(9)");  // 20 of 0..100, maximum at the top
        for (auto key : {Qt::Key_Up, Qt::Key_Up, Qt::Key_Down}) QTest::keyClick(tune, key);
        QCOMPARE(w_->panel().sc(9).value(), 21);
        // Angles in eighths of a degree, flag 1 for Shift held, 2 for natural scrolling
        // (inverted). A touchpad's small deltas add up to notches and turning back starts
        // afresh; Shift changes nothing; natural scrolling follows the hand; a sideways tilt
        // means nothing to a vertical bar and moves a horizontal one to the right.
        struct Turn {
            const char* bar;
            int x, y, flags, value;
        } turns[] = {
            {"sc(9)", 0, 120, 0, 22},  {"sc(9)", 0, 60, 0, 22},    {"sc(9)", 0, 60, 0, 23},
            {"sc(9)", 0, 90, 0, 23},   {"sc(9)", 0, -60, 0, 23},   {"sc(9)", 0, -60, 0, 22},
            {"sc(9)", 0, -120, 2, 23}, {"sc(9)", -120, 0, 0, 23},  {"sc(9)", 0, -120, 1, 22},
            {"hsc(36)", 0, 120, 0, 1}, {"hsc(36)", -120, 0, 0, 2}, {"hsc(36)", 0, -120, 0, 1},
            {"sc(12)", 0, 120, 0, 50}};
        w_->panel().sc(12).set_value(50);  // at its maximum: no change, no event
        w_->panel().sc(12).on_change = [&] { QFAIL("sc(12) moved beyond its maximum"); };
        for (const Turn& t : turns) {
            QWidget* w = w_->widget(t.bar);
            const QPointF at(w->width() / 2.0, w->height() / 2.0);
            QWheelEvent event(at, w->mapToGlobal(at), {}, {t.x, t.y}, Qt::NoButton,
                              t.flags & 1 ? Qt::ShiftModifier : Qt::NoModifier, Qt::NoScrollPhase,
                              t.flags & 2);
            QApplication::sendEvent(w, &event);
            QCOMPARE(w_->bar(t.bar).value(), t.value);
        }
        QTest::keyClick(w_->widget("hsc(36)"), Qt::Key_End);
        QCOMPARE(w_->panel().hsc(36).value(), 100);
    }

    void lists_take_focus_without_selecting_and_load_with_enter() {
        w_->form.List1.add_item("one.qrv");
        std::string loaded;
        int opened = -1;
        w_->form.File1.on_dbl_click = [&] { loaded = w_->form.File1.filename(); };
        w_->form.List1.on_dbl_click = [&] { opened = w_->form.List1.list_index(); };
        QVERIFY(walk().contains("File1"));
        QCOMPARE(w_->form.File1.list_index(), -1);
        for (auto key : {Qt::Key_Return, Qt::Key_Down, Qt::Key_Down})
            QTest::keyClick(w_->widget("File1"), key);
        QCOMPARE(loaded, "");
        QTest::keyClick(w_->widget("File1"), Qt::Key_Return);
        QCOMPARE(loaded, "b.qrv");
        for (auto key : {Qt::Key_Down, Qt::Key_Enter}) QTest::keyClick(w_->widget("List1"), key);
        QCOMPARE(opened, 0);
    }
};

QTEST_MAIN(KeyboardTest)
#include "KeyboardTest.moc"
