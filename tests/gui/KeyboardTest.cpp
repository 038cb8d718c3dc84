#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <algorithm>
#include <fstream>
#include <memory>

#include "app/MainForm.h"
#include "controls/VirtualClock.h"
#include "gui/MainWindow.h"

using namespace qv;

namespace {

bool takes_input(QWidget* w) {
    return qobject_cast<QScrollBar*>(w) || qobject_cast<QLineEdit*>(w) ||
           qobject_cast<QCheckBox*>(w) || qobject_cast<QPushButton*>(w) ||
           qobject_cast<QListWidget*>(w);
}

QString accessible_name(QWidget* w) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
    return face ? face->text(QAccessible::Name) : QString();
}

// One wheel event as the desktop delivers it: `angle` in eighths of a degree.
void turn_wheel(QWidget* w, QPoint angle, Qt::KeyboardModifiers modifiers = {},
                bool inverted = false) {
    QPointF at(w->width() / 2.0, w->height() / 2.0);
    QWheelEvent event(at, w->mapToGlobal(at), QPoint(), angle, Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, inverted);
    QApplication::sendEvent(w, &event);
}

}  // namespace

class KeyboardTest : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    std::unique_ptr<VirtualClock> clock_;
    std::unique_ptr<modSynth_DX7> tone_;
    std::unique_ptr<MainForm> form_;
    std::unique_ptr<MainWindow> window_;

    QWidget* widget(const QString& name) {
        QWidget* w = window_->control_widget(name);
        if (!w) qFatal("no widget %s", qPrintable(name));
        return w;
    }

    // Presses Tab (or Shift+Tab) until the focus is back where it started; the widgets
    // it passed, from the starting one on.
    QStringList walk(Qt::KeyboardModifiers modifiers = {}) {
        QStringList names;
        QWidget* start = QApplication::focusWidget();
        if (!start) return names;
        QWidget* at = start;
        do {
            names << at->objectName();
            QTest::keyClick(at, Qt::Key_Tab, modifiers);
            at = QApplication::focusWidget();
        } while (at && at != start && names.size() < 500);
        return names;
    }

private slots:
    void initTestCase() {
        QVERIFY(folder_.isValid());
        for (const char* name : {"b.qrv", "a.qrv"}) {
            std::ofstream(folder_.filePath(name).toStdString()) << "\r\n";
        }
    }

    void init() {
        clock_ = std::make_unique<VirtualClock>();
        tone_ = std::make_unique<modSynth_DX7>();
        form_ = std::make_unique<MainForm>(*clock_, *tone_, folder_.path().toStdString());
        QVERIFY(form_->Form_Load());
        window_ = std::make_unique<MainWindow>(*form_);
        window_->show();
        QApplication::setActiveWindow(window_.get());
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    }

    void cleanup() {
        window_.reset();
        form_.reset();
        tone_.reset();
        clock_.reset();
    }

    void tab_reaches_every_control_once_as_the_window_reads() {
        QCOMPARE(QApplication::focusWidget(), widget("sc(0)"));
        const QStringList forward = walk();

        QStringList inputs;
        for (QWidget* w : window_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (takes_input(w) && w->isVisible() && w->isEnabled()) inputs << w->objectName();
        }
        QCOMPARE(forward.size(), QSet<QString>(forward.begin(), forward.end()).size());
        QStringList sorted_walk = forward, sorted_inputs = inputs;
        sorted_walk.sort();
        sorted_inputs.sort();
        QCOMPARE(sorted_walk, sorted_inputs);
        for (const char* hidden : {"sc(8)", "tx(8)", "List2"}) QVERIFY(!forward.contains(hidden));

        // A parameter's slider and its value are next to each other.
        for (int k = 0; k < 38; ++k) {
            if (k == 8) continue;
            QString bar = QStringLiteral("%1(%2)").arg(k < 26 ? "sc" : "hsc").arg(k);
            qsizetype distance =
                forward.indexOf(bar) - forward.indexOf(QStringLiteral("tx(%1)").arg(k));
            QVERIFY2(distance == 1 || distance == -1, qPrintable(bar));
        }
        // What a frame holds is walked in one go, never left and come back to.
        for (int i = 0; i < 4; ++i) {
            QRect frame = widget(QStringLiteral("sh(%1)").arg(i))->geometry();
            QList<qsizetype> places;
            for (qsizetype n = 0; n < forward.size(); ++n) {
                if (frame.contains(widget(forward[n])->geometry())) places << n;
            }
            QVERIFY(places.size() >= 8);
            QCOMPARE(places.back() - places.front() + 1, places.size());
        }
        // The transport block reads in rows, left to right.
        QStringList transport;
        for (const QString& name : forward) {
            QRect r = widget(name)->geometry();
            if (r.top() >= 504 && r.left() >= 232) transport << name;
        }
        QStringList reading = transport;
        std::stable_sort(reading.begin(), reading.end(), [&](const QString& a, const QString& b) {
            QRect ra = widget(a)->geometry(), rb = widget(b)->geometry();
            return std::pair(ra.top(), ra.left()) < std::pair(rb.top(), rb.left());
        });
        QCOMPARE(transport.size(), 11);
        QCOMPARE(transport, reading);

        QStringList backward = walk(Qt::ShiftModifier);
        std::reverse(backward.begin() + 1, backward.end());
        QCOMPARE(backward, forward);

        // A disabled button is passed over and comes back when enabled.
        form_->play.set_enabled(false);
        QVERIFY(!walk().contains("play"));
        form_->play.set_enabled(true);
        QCOMPARE(walk(), forward);
    }

    void every_control_is_named_from_its_label_or_caption() {
        QSet<QString> names;
        for (const QString& name : walk()) {
            QString spoken = accessible_name(widget(name));
            QVERIFY2(!spoken.isEmpty(), qPrintable(name));
            QVERIFY2(!names.contains(spoken), qPrintable(spoken));
            names << spoken;
        }
        const std::pair<const char*, const char*> expected[] = {
            {"sc(9)", "Tune"},
            {"sc(15)", "Vol"},
            {"sc(1)", "Left partial 2 amplitude"},
            {"hsc(29)", "Left partial 4 phase"},
            {"tx(9)", "Tune value"},
            {"tx(37)", "Switching speed value"},
            {"ck(3)", "Right shift free"},
            {"Text1", "Setup name"},
            {"Text2", "Time in seconds"},
            {"time", "Time"},
            {"List1", "Files in this Session"},
            {"clrlist", "Clear List"},
            {"oneback", "One second Back"},
            {"oneforward", "One second forward"},
            {"WF1PB", "Left Waveform view"},
        };
        for (const auto& [control, name] : expected) {
            QCOMPARE(accessible_name(widget(control)), QString::fromUtf8(name));
        }

        form_->play.caption = "Again";
        form_->play.set_enabled(false);
        QCOMPARE(accessible_name(widget("play")), QStringLiteral("Again"));
    }

    void screen_readers_hear_the_value_not_the_mirrored_position() {
        QAccessibleInterface* tune = QAccessible::queryAccessibleInterface(widget("sc(9)"));
        QVERIFY(tune && tune->valueInterface());
        QCOMPARE(tune->role(), QAccessible::Slider);
        QCOMPARE(tune->valueInterface()->currentValue().toInt(), 20);
        QCOMPARE(tune->text(QAccessible::Value), QStringLiteral("20"));
        tune->valueInterface()->setCurrentValue(35);
        QCOMPARE(form_->panel.sc(9).value(), 35);
        QCOMPARE(form_->panel.tx(9).text(), "35");

        form_->panel.hsc(30).set_value(12);
        QAccessibleInterface* phase = QAccessible::queryAccessibleInterface(widget("hsc(30)"));
        QCOMPARE(phase->valueInterface()->currentValue().toInt(), 12);
    }

    void keys_and_wheel_move_a_slider_one_step_towards_its_arrow() {
        ScrollBar& tune = form_->panel.sc(9);  // 20 of 0..100, maximum at the top
        QWidget* bar = widget("sc(9)");
        bar->setFocus(Qt::TabFocusReason);
        QTest::keyClick(bar, Qt::Key_Up);
        QCOMPARE(tune.value(), 21);
        QTest::keyClick(bar, Qt::Key_Down);
        QTest::keyClick(bar, Qt::Key_Down);
        QCOMPARE(tune.value(), 19);

        turn_wheel(bar, {0, 120});
        QCOMPARE(tune.value(), 20);
        turn_wheel(bar, {0, -120});
        turn_wheel(bar, {0, -120}, Qt::ShiftModifier);
        QCOMPARE(tune.value(), 18);
        // A touchpad's small deltas add up to notches; turning back starts afresh.
        turn_wheel(bar, {0, 60});
        QCOMPARE(tune.value(), 18);
        turn_wheel(bar, {0, 60});
        QCOMPARE(tune.value(), 19);
        turn_wheel(bar, {0, 90});
        turn_wheel(bar, {0, -60});
        QCOMPARE(tune.value(), 19);
        turn_wheel(bar, {0, -60});
        QCOMPARE(tune.value(), 18);
        // Natural scrolling reverses the delta and says so; the slider follows the hand.
        turn_wheel(bar, {0, -120}, {}, true);
        QCOMPARE(tune.value(), 19);
        // A sideways tilt means nothing to a vertical slider.
        turn_wheel(bar, {-120, 0});
        QCOMPARE(tune.value(), 19);
        QCOMPARE(form_->panel.tx(9).text(), "19");

        ScrollBar& depth = form_->panel.sc(12);  // 0..50
        depth.set_value(50);
        int changes = 0;
        depth.on_change = [&] { ++changes; };
        turn_wheel(widget("sc(12)"), {0, 120});
        QCOMPARE(depth.value(), 50);
        QCOMPARE(changes, 0);

        ScrollBar& offset = form_->panel.hsc(36);  // 0 of 0..100, maximum on the right
        QWidget* horizontal = widget("hsc(36)");
        turn_wheel(horizontal, {0, 120});
        QCOMPARE(offset.value(), 1);
        turn_wheel(horizontal, {-120, 0});  // tilted to the right
        QCOMPARE(offset.value(), 2);
        turn_wheel(horizontal, {0, -120});
        QCOMPARE(offset.value(), 1);
        horizontal->setFocus(Qt::TabFocusReason);
        QTest::keyClick(horizontal, Qt::Key_Right);
        QTest::keyClick(horizontal, Qt::Key_Right);
        QTest::keyClick(horizontal, Qt::Key_Left);
        QCOMPARE(offset.value(), 2);
        QTest::keyClick(horizontal, Qt::Key_End);
        QCOMPARE(offset.value(), 100);
        QTest::keyClick(bar, Qt::Key_Home);
        QCOMPARE(tune.value(), 0);
    }

    void lists_take_focus_without_selecting_and_load_with_enter() {
        form_->List1.add_item("one.qrv");
        form_->List1.add_item("two.qrv");
        std::string loaded;
        int opened = -1;
        form_->File1.on_dbl_click = [&] { loaded = form_->File1.filename(); };
        form_->List1.on_dbl_click = [&] { opened = form_->List1.list_index(); };

        QStringList forward = walk();
        QVERIFY(forward.contains("File1") && forward.contains("List1"));
        QCOMPARE(form_->File1.list_index(), -1);
        QCOMPARE(form_->List1.list_index(), -1);

        QWidget* files = widget("File1");
        files->setFocus(Qt::TabFocusReason);
        QTest::keyClick(files, Qt::Key_Return);
        QCOMPARE(loaded, "");
        QTest::keyClick(files, Qt::Key_Down);
        QTest::keyClick(files, Qt::Key_Down);
        QCOMPARE(form_->File1.list_index(), 1);
        QTest::keyClick(files, Qt::Key_Return);
        QCOMPARE(loaded, "b.qrv");

        QWidget* session = widget("List1");
        session->setFocus(Qt::TabFocusReason);
        QTest::keyClick(session, Qt::Key_Down);
        QTest::keyClick(session, Qt::Key_Enter);
        QCOMPARE(opened, 0);
    }
};

QTEST_MAIN(KeyboardTest)
#include "KeyboardTest.moc"
