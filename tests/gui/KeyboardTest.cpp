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
        for (QWidget* at = start; at && names.size() < 500;) {
            names << at->objectName();
            QTest::keyClick(at, Qt::Key_Tab, modifiers);
            if ((at = QApplication::focusWidget()) == start) break;
        }
        return names;
    }
    QString spoken(const QString& name) {
        return QAccessible::queryAccessibleInterface(w_->widget(name))->text(QAccessible::Name);
    }
    // One wheel event as the desktop delivers it: `angle` in eighths of a degree.
    void wheel(const char* name, QPoint angle, Qt::KeyboardModifiers mods = {},
               bool inverted = false) {
        QWidget* w = w_->widget(name);
        QPointF at(w->width() / 2.0, w->height() / 2.0);
        QWheelEvent event(at, w->mapToGlobal(at), {}, angle, Qt::NoButton, mods, Qt::NoScrollPhase,
                          inverted);
        QApplication::sendEvent(w, &event);
    }

private slots:
    void init() { w_ = std::make_unique<OpenWindow>(); }
    void cleanup() { w_.reset(); }

    void tab_reaches_every_control_once_as_the_window_reads() {
        QCOMPARE(QApplication::focusWidget(), w_->widget("sc(0)"));
        const QStringList forward = walk();
        QStringList inputs;
        for (QWidget* w : w_->window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            const bool input = qobject_cast<QScrollBar*>(w) || qobject_cast<QLineEdit*>(w) ||
                               qobject_cast<QCheckBox*>(w) || qobject_cast<QPushButton*>(w) ||
                               qobject_cast<QListWidget*>(w);
            if (input && w->isVisible()) inputs << w->objectName();
        }
        QStringList sorted_walk = forward;
        sorted_walk.sort();
        inputs.sort();
        QCOMPARE(sorted_walk, inputs);  // each once, the hidden sc(8), tx(8) and List2 never
        // A parameter's slider and its value are next to each other.
        for (int k = 0; k < 38; ++k) {
            QString bar = QStringLiteral("%1(%2)").arg(k < 26 ? "sc" : "hsc").arg(k);
            if (k != 8)
                QCOMPARE(std::abs(forward.indexOf(bar) -
                                  forward.indexOf(QStringLiteral("tx(%1)").arg(k))),
                         1);
        }
        // What a frame holds is walked in one go; the transport block reads in rows.
        QStringList transport;
        for (int i = 0; i < 4; ++i) {
            QList<qsizetype> places;
            for (qsizetype n = 0; n < forward.size(); ++n)
                if (w_->widget(QStringLiteral("sh(%1)").arg(i))
                        ->geometry()
                        .contains(w_->widget(forward[n])->geometry()))
                    places << n;
            QVERIFY(places.size() >= 8);
            QCOMPARE(places.back() - places.front() + 1, places.size());
        }
        for (const QString& name : forward)
            if (QRect r = w_->widget(name)->geometry(); r.top() >= 504 && r.left() >= 232)
                transport << name;
        QStringList reading = transport;
        std::stable_sort(reading.begin(), reading.end(), [&](const QString& a, const QString& b) {
            QRect ra = w_->widget(a)->geometry(), rb = w_->widget(b)->geometry();
            return std::pair(ra.top(), ra.left()) < std::pair(rb.top(), rb.left());
        });
        QCOMPARE(transport.size(), 11);
        QCOMPARE(transport, reading);
        QStringList backward = walk(Qt::ShiftModifier);
        std::reverse(backward.begin() + 1, backward.end());
        QCOMPARE(backward, forward);
        // A disabled button is passed over.
        w_->form.play.set_enabled(false);
        QVERIFY(!walk().contains("play"));
    }

    void every_control_is_named_from_its_label_or_caption() {
        QSet<QString> names;
        for (const QString& name : walk()) {
            QVERIFY2(!spoken(name).isEmpty() && !names.contains(spoken(name)), qPrintable(name));
            names << spoken(name);
        }
        const std::pair<const char*, const char*> expected[] = {
            {"sc(9)", "Tune"},
            {"sc(15)", "Vol"},
            {"sc(1)", "Left partial 2 amplitude"},
            {"hsc(29)", "Left partial 4 phase"},
            {"tx(37)", "Switching speed value"},
            {"ck(3)", "Right shift free"},
            {"Text2", "Time in seconds"},
            {"List1", "Files in this Session"},
            {"WF1PB", "Left Waveform view"}};
        for (auto [control, name] : expected) QCOMPARE(spoken(control), QString(name));
        w_->form.play.caption = "Again";
        w_->form.play.set_enabled(false);
        QCOMPARE(spoken("play"), QStringLiteral("Again"));
        // A screen reader hears and sets the value, not the mirrored position.
        QAccessibleValueInterface* tune =
            QAccessible::queryAccessibleInterface(w_->widget("sc(9)"))->valueInterface();
        QCOMPARE(tune->currentValue().toInt(), 20);
        tune->setCurrentValue(35);
        QCOMPARE(w_->panel().tx(9).text(), "35");
    }

    void keys_and_wheel_move_a_slider_one_step_towards_its_arrow() {
        QWidget* bar = w_->widget("sc(9)");  // 20 of 0..100, maximum at the top
        bar->setFocus(Qt::TabFocusReason);
        QTest::keyClick(bar, Qt::Key_Up);
        QTest::keyClick(bar, Qt::Key_Up);
        QTest::keyClick(bar, Qt::Key_Down);
        QCOMPARE(w_->panel().sc(9).value(), 21);
        struct Turn {
            const char* bar;
            QPoint angle;
            Qt::KeyboardModifiers mods;
            bool inverted;
            int value;
        } turns[] = {
            {"sc(9)", {0, 120}, {}, false, 22},
            {"sc(9)", {0, -120}, Qt::ShiftModifier, false, 21},
            {"sc(9)", {0, 60}, {}, false, 21},  // a touchpad's small deltas add up to notches
            {"sc(9)", {0, 60}, {}, false, 22},
            {"sc(9)", {0, 90}, {}, false, 22},
            {"sc(9)", {0, -60}, {}, false, 22},  // turning back starts afresh
            {"sc(9)", {0, -60}, {}, false, 21},
            {"sc(9)", {0, -120}, {}, true, 22},   // natural scrolling
            {"sc(9)", {-120, 0}, {}, false, 22},  // a sideways tilt means nothing to a vertical bar
            {"hsc(36)", {0, 120}, {}, false, 1},
            {"hsc(36)", {-120, 0}, {}, false, 2},  // tilted right
            {"hsc(36)", {0, -120}, {}, false, 1},
        };
        for (const Turn& t : turns) {
            wheel(t.bar, t.angle, t.mods, t.inverted);
            QCOMPARE(w_->panel().bar(t.bar[0] == 's' ? 9 : 36).value(), t.value);
        }
        w_->panel().sc(12).set_value(50);  // at its maximum: no change, no event
        int changes = 0;
        w_->panel().sc(12).on_change = [&] { ++changes; };
        wheel("sc(12)", {0, 120});
        QCOMPARE(changes, 0);
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
        QWidget* files = w_->widget("File1");
        files->setFocus(Qt::TabFocusReason);
        QTest::keyClick(files, Qt::Key_Return);
        QCOMPARE(loaded, "");
        QTest::keyClick(files, Qt::Key_Down);
        QTest::keyClick(files, Qt::Key_Down);
        QTest::keyClick(files, Qt::Key_Return);
        QCOMPARE(loaded, "b.qrv");
        QWidget* session = w_->widget("List1");
        session->setFocus(Qt::TabFocusReason);
        QTest::keyClick(session, Qt::Key_Down);
        QTest::keyClick(session, Qt::Key_Enter);
        QCOMPARE(opened, 0);
    }
};

QTEST_MAIN(KeyboardTest)
#include "KeyboardTest.moc"
