#include <QSignalSpy>

#include "WindowFixture.h"
#include "gui/QtClock.h"
#include "gui/SliderBar.h"

// The centre of an arrow, the thumb or a part of the trough of a bar.
static QPoint centre(QScrollBar* bar, QStyle::SubControl part) {
    QStyleOptionSlider o;
    o.initFrom(bar);
    if (bar->orientation() == Qt::Horizontal) o.state |= QStyle::State_Horizontal;
    o.orientation = bar->orientation();
    o.minimum = bar->minimum();
    o.maximum = bar->maximum();
    o.pageStep = bar->pageStep();
    o.sliderPosition = o.sliderValue = bar->value();
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &o, part, bar).center();
}

class WindowTest : public QObject {
    Q_OBJECT
    QTemporaryDir settings_;
    std::unique_ptr<OpenWindow> w_;

    // A widget by its control's name in the form: the array's name and the index in brackets.
    static QString item(const char* array, int i) { return QString("%1(%2)").arg(array).arg(i); }
    static QString bar(P::Id k) { return item(k < params::kVerticalCount ? "sc" : "hsc", k); }
    static QString text(P::Id k) { return item("tx", k); }
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
    // The listener's settings go to a folder of the test's own.
    void initTestCase() {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings_.path());
    }
    void init() { w_ = std::make_unique<OpenWindow>(); }
    void cleanup() { w_.reset(); }

    // The noise bed is chosen with keys no control takes and found on the window's menu;
    // the choice comes back with the next window.
    void noise_choice_survives_a_restart() {
        QCOMPARE(w_->window->noise_menu()->colour(), NoiseColour::Off);
        QTest::keyClick(w_->widget(bar(P::Vol)), Qt::Key_2, Qt::ControlModifier);
        QTest::keyClick(w_->widget(text(P::Vol)), Qt::Key_Minus, Qt::ControlModifier);
        QStringList entries;
        for (QAction* action : w_->window->actions())
            if (!action->isSeparator())
                entries << action->text() + (action->isChecked() ? "*" : "");
        QCOMPARE(entries,
                 (QStringList{"Noise beneath the tones, silent while \" Vol\" is 0", "No noise",
                              "White noise", "Pink noise*", "Brown noise",
                              "Noise louder (now -35 dBFS)", "Noise softer (now -35 dBFS)"}));
        w_.reset();
        w_ = std::make_unique<OpenWindow>();
        QCOMPARE(w_->window->noise_menu()->colour(), NoiseColour::Pink);
        QCOMPARE(w_->window->noise_menu()->level(), -35.0);
        QVERIFY(QFile::exists(settings_.filePath("Quorvane/quorvane.ini")));
    }

    void window_carries_every_control_of_the_form() {
        QCOMPARE(w_->window->windowTitle(), QStringLiteral("Quorvane 0.2 Beta"));
        QCOMPARE(w_->window->size(), QSize(627, 569));
        QCOMPARE(w_->window->minimumSize(), w_->window->maximumSize());
        w_->form.for_each_control([&](Control&, std::string_view array, int index) {
            const std::string name(array);
            w_->widget(index < 0 ? QString::fromStdString(name) : item(name.c_str(), index));
        });
        QCOMPARE(w_->widget("save")->toolTip(), QStringLiteral("  Save this setup  "));
        // 15 twips to the pixel, rounded; the sliders that move show it in their cursors.
        for (auto [name, rect, shape] :
             {std::tuple{bar(P::LeftPartial1), QRect(16, 32, 25, 137), Qt::SizeVerCursor},
              {bar(P::RightAmp), QRect(48, 280, 25, 129), Qt::SizeVerCursor},
              {bar(P::LeftOn), QRect(32, 512, 49, 17), Qt::SizeHorCursor},
              {bar(P::SwitchSpeed), QRect(144, 536, 49, 17), Qt::SizeHorCursor},
              {bar(P::LeftPhase1), QRect(16, 216, 25, 17), Qt::ArrowCursor},
              {QStringLiteral("time"), QRect(8, 472, 609, 25), Qt::ArrowCursor},
              {item("ck", Free::RightAmp), QRect(59, 440, 13, 13), Qt::ArrowCursor}}) {
            QCOMPARE(place(name), rect);
            QCOMPARE(w_->widget(name)->cursor().shape(), shape);
        }
        // Keyframes reach Freq through its text; its widgets still stay out of sight.
        w_->panel.tx(P::Freq).set_text("30");
        for (const QString& hidden : {bar(P::Freq), text(P::Freq), QStringLiteral("List2")})
            QVERIFY(!w_->widget(hidden)->isVisible());
    }

    // A thumb drag is one change, on release. Keys, arrow and trough clicks and wheel notches
    // move by one step the way they point: the maximum is at the top of a vertical bar and
    // at the right of a horizontal one.
    void sliders_move_by_one_step_or_by_a_released_drag() {
        auto* depth = w_->widget<QScrollBar>(bar(P::AmDepth));  // 0 of 0..50
        int changes = 0;
        w_->panel.sc(P::AmDepth).on_change = [&] { ++changes; };
        const QPoint thumb = centre(depth, QStyle::SC_ScrollBarSlider), top(depth->width() / 2, 0);
        QTest::mousePress(depth, Qt::LeftButton, {}, thumb);
        QTest::mouseMove(depth, (thumb + top) / 2);
        QTest::mouseMove(depth, top);
        QCOMPARE(changes, 0);
        QTest::mouseRelease(depth, Qt::LeftButton, {}, top);
        QCOMPARE(w_->panel.sc(P::AmDepth).value(), 50);
        QCOMPARE(changes, 1);
        // Tune starts at 20 of 0..100. The clicks go to the upper arrow, the lower one, the
        // trough below the thumb and above it. Wheel angles are in eighths of a degree: a
        // touchpad's small deltas add up to notches and turning back starts afresh; Shift
        // changes nothing; natural scrolling (inverted) follows the hand; a sideways tilt (a
        // negative x is to the right) means nothing to a vertical bar and moves a horizontal
        // one to the right. AmDepth, left at its maximum by the drag, takes no change and
        // tells of none.
        const P::Id T = P::Tune, O = P::SwitchOffset, D = P::AmDepth;
        using S = QStyle;
        const S::SubControl sub = S::SC_ScrollBarSubLine, add = S::SC_ScrollBarAddLine,
                            add_page = S::SC_ScrollBarAddPage, sub_page = S::SC_ScrollBarSubPage;
        enum How { Key, Click, Wheel, Shifted, Natural, Tilt };
        const std::tuple<P::Id, int, How, int> inputs[] = {
            {T, Qt::Key_Up, Key, 21}, {T, Qt::Key_Down, Key, 20}, {T, sub, Click, 21},
            {T, add, Click, 20},      {T, add_page, Click, 19},   {T, sub_page, Click, 20},
            {T, 120, Wheel, 21},      {T, 60, Wheel, 21},         {T, 60, Wheel, 22},
            {T, 90, Wheel, 22},       {T, -60, Wheel, 22},        {T, -60, Wheel, 21},
            {T, -120, Natural, 22},   {T, -120, Tilt, 22},        {T, -120, Shifted, 21},
            {O, add, Click, 1},       {O, 120, Wheel, 2},         {O, -120, Tilt, 3},
            {O, -120, Wheel, 2},      {O, Qt::Key_End, Key, 100}, {D, 120, Wheel, 50}};
        w_->panel.sc(D).on_change = [&] { QFAIL("AmDepth moved beyond its maximum"); };
        for (auto [k, input, how, value] : inputs) {
            auto* w = w_->widget<QScrollBar>(bar(k));
            const QPointF at(w->width() / 2.0, w->height() / 2.0);
            const QPoint turn = how == Tilt ? QPoint(input, 0) : QPoint(0, input);
            QWheelEvent wheel(at, w->mapToGlobal(at), {}, turn, Qt::NoButton,
                              how == Shifted ? Qt::ShiftModifier : Qt::NoModifier,
                              Qt::NoScrollPhase, how == Natural);
            if (how == Key)
                QTest::keyClick(w, Qt::Key(input));
            else if (how == Click)
                QTest::mouseClick(w, Qt::LeftButton, {}, centre(w, S::SubControl(input)));
            else
                QApplication::sendEvent(w, &wheel);
            QCOMPARE(w_->panel.bar(k).value(), value);
        }
        // The time line's Page keys move ten seconds.
        for (auto key : {Qt::Key_PageUp, Qt::Key_PageUp, Qt::Key_PageDown})
            QTest::keyClick(w_->widget("time"), key);
        QCOMPARE(w_->form.time.value(), 10);
    }

    // Enter presses a focused button; each of the buttons used most has a shortcut, named
    // in its description and in the guide, that presses it; F1 shows the guide, the
    // README's text, and blocks nothing.
    void the_keyboard_reaches_buttons_and_the_guide() {
        QWidget* typing = w_->widget(text(P::Tune));
        QStringList keys;
        for (const char* name : {"play", "pause", "stop", "execute", "setkey", "save", "saveses"}) {
            auto* button = w_->widget<QPushButton>(name);
            const QString key = button->accessibleDescription().section("Shortcut: ", 1);
            keys << "(" + key + ")";
            QSignalSpy pressed(button, &QPushButton::clicked);
            QTest::keySequence(typing, QKeySequence(key));
            button->setFocus();
            QTest::keyClick(button, Qt::Key_Return);
            QTRY_COMPARE(pressed.count(), 2);
            w_->form.play.set_enabled(true);  // Play leaves itself disabled
        }
        QTest::keyClick(typing, Qt::Key_F1);
        auto* guide = w_->window->findChild<QPlainTextEdit*>("guide");
        QVERIFY(guide && guide->isVisible() && !guide->window()->isModal());
        for (const QString& key : keys)
            QVERIFY2(guide->toPlainText().contains(key), qPrintable(key));
        QFile readme(QStringLiteral(QUORVANE_EXAMPLES_DIR "/../README.md"));
        QVERIFY(readme.open(QIODevice::ReadOnly));
        const QString wrapped = QString::fromUtf8(readme.readAll()).simplified();
        for (const QString& paragraph : guide->toPlainText().split("\n\n"))
            QVERIFY2(wrapped.contains(paragraph.simplified()), qPrintable(paragraph));
    }

    // What is typed reaches the form, and what the form writes is shown. Reports are kept,
    // newest first with their times, until the user closes the box; none blocks the timers.
    void typing_writes_and_reports_go_across_and_closing_unloads_the_form() {
        // Clearing a text makes it "0" in the core, and the box shows it at once.
        auto* offset = w_->widget<QLineEdit>(text(P::SwitchOffset));
        w_->panel.hsc(P::SwitchOffset).set_value(12);
        offset->selectAll();
        QTest::keyClick(offset, Qt::Key_Backspace);
        QCOMPARE(offset->text(), QStringLiteral("0"));
        QCOMPARE(w_->widget<QScrollBar>(bar(P::SwitchOffset))->value(), 0);

        w_->panel.sc(P::RightPartial4).set_value(42);
        QCOMPARE(w_->widget<QLineEdit>(text(P::RightPartial4))->text(), QStringLiteral("42"));
        QCOMPARE(w_->widget<QScrollBar>(bar(P::RightPartial4))->value(), 100 - 42);
        w_->panel.ck(Free::LeftAmp).set_value(2);
        QCOMPARE(w_->widget<QCheckBox>(item("ck", Free::LeftAmp))->checkState(),
                 Qt::PartiallyChecked);
        QTest::mouseClick(w_->widget(item("ck", Free::LeftAmp)), Qt::LeftButton);
        QCOMPARE(w_->panel.ck(Free::LeftAmp).value(), 1);
        // The time in seconds is shown, not typed.
        QTest::keyClicks(w_->widget("Text2"), "30");
        QCOMPARE(w_->form.Text2.text(), "0");

        // A window out of sight catches up when it is seen again; its views are not drawn.
        w_->window->hide();
        QTRY_VERIFY(!w_->form.WF1PB.watched);
        w_->panel.sc(P::RightPartial4).set_value(7);
        QCOMPARE(w_->widget<QLineEdit>(text(P::RightPartial4))->text(), QStringLiteral("42"));
        w_->window->show();
        QTRY_COMPARE(w_->widget<QLineEdit>(text(P::RightPartial4))->text(), QStringLiteral("7"));
        QVERIFY(w_->form.WF1PB.watched);

        for (int i = 0; i < ReportBox::kKept + 2; ++i)
            w_->form.report("report " + std::to_string(i));
        ReportBox* box = w_->window->reports();
        QVERIFY(box->isVisible() && box->windowModality() == Qt::NonModal);
        const QStringList kept = box->messages();  // ReportBox::kKept of them
        QVERIFY(kept.first().endsWith("  report 101") && kept.last().endsWith("  report 2"));
        QVERIFY(QTime::fromString(kept.first().left(8), QStringLiteral("HH:mm:ss")).isValid());
        box->reject();
        w_->form.report("again");
        QCOMPARE(box->messages().size(), 1);
        w_->window->close();  // closing unloads the form
        QVERIFY(!w_->tone.channelBuffer(0) && !w_->form.Timer1.enabled());
    }

    // From the keyboard a list takes the focus without selecting, and Enter opens the
    // selected entry; the mouse's double click arrives as the desktop delivers it: a click,
    // then the second press as a double click.
    void lists_show_the_folder_and_open_by_keyboard_and_mouse() {
        auto* files = w_->widget<QListWidget>("File1");
        auto* session = w_->widget<QListWidget>("List1");
        QCOMPARE(files->count(), 2);
        QCOMPARE(files->item(0)->text(), QStringLiteral("a.qrv"));
        QCOMPARE(w_->widget<QListWidget>("File2")->count(), 1);
        std::string opened;  // a setup's name, or a session entry's index
        w_->form.File1.on_dbl_click = [&] { opened = w_->form.File1.filename(); };
        w_->form.List1.on_dbl_click = [&] { opened = std::to_string(w_->form.List1.list_index()); };
        w_->form.List1.add_item("one.qrv");
        QVERIFY(walk().contains("File1"));
        QCOMPARE(w_->form.File1.list_index(), -1);
        for (auto key : {Qt::Key_Return, Qt::Key_Down, Qt::Key_Down}) QTest::keyClick(files, key);
        QCOMPARE(opened, "");
        QTest::keyClick(files, Qt::Key_Return);
        QCOMPARE(opened, "b.qrv");
        for (auto key : {Qt::Key_Down, Qt::Key_Enter}) QTest::keyClick(session, key);
        QCOMPARE(opened, "0");

        const QPoint first = files->visualItemRect(files->item(0)).center();
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, first);
        QTest::mouseDClick(files->viewport(), Qt::LeftButton, {}, first);
        QCOMPARE(opened, "a.qrv");
        w_->form.List1.add_item("two.qrv");
        QTest::mouseClick(session->viewport(), Qt::LeftButton, {},
                          session->visualItemRect(session->item(1)).center());
        QCOMPARE(w_->form.List1.list_index(), 1);
        w_->form.List1.remove_item(0);
        QCOMPARE(session->count(), 1);
        QCOMPARE(session->currentRow(), 0);
    }

    // What the synthesis changes shows on every other tick: the tick between is held back,
    // and shown with the next.
    void the_window_shows_every_other_synthesis_tick() {
        QVERIFY(QFile::copy(QStringLiteral(QUORVANE_EXAMPLES_DIR "/AmSwitchSync.qrv"),
                            w_->dir.filePath("c.qrv")));
        w_->form.File1.refresh_list();
        w_->form.File1.double_click(2);
        w_->form.play.click();
        auto* shown = w_->widget<SliderBar>(bar(P::LeftAmp));
        QString lags;
        for (int tick = 0; tick < 60; ++tick) {
            w_->clock.advance(30);
            QCoreApplication::processEvents();
            lags += shown->slider_value() == w_->panel.sc(P::LeftAmp).value() ? '.' : 'x';
        }
        QVERIFY2(lags.contains('x') && !lags.contains("xx"), qPrintable(lags));
    }

    // A bar between its arrows is shown as its trough with the thumb laid on it: at every
    // value of every bar that is what the style draws for the whole bar.
    void every_bar_shows_at_every_value_what_the_style_draws() {
        for (auto* bar : w_->window->findChildren<SliderBar*>()) {
            const QSignalBlocker quiet(bar);
            for (int v = bar->minimum(); v <= bar->maximum(); ++v) {
                bar->set_slider_value(v);
                const QImage composed = bar->grab().toImage();
                bar->compose_for_tests(false);
                QVERIFY2(composed == bar->grab().toImage(),
                         qPrintable(QStringLiteral("%1 at %2").arg(bar->objectName()).arg(v)));
                bar->compose_for_tests(true);
            }
        }
    }

    // The views at a fixed tick of a setup whose modulators move, against the pixels they
    // showed when they were painted point by point with QPainter.
    void views_paint_the_pixels_they_always_did() {
        const QString setup = QStringLiteral(QUORVANE_EXAMPLES_DIR "/AmSwitchSync.qrv");
        QVERIFY(QFile::copy(setup, w_->dir.filePath("c.qrv")));
        w_->form.File1.refresh_list();
        w_->form.File1.double_click(2);
        w_->form.play.click();
        // Painted tick by tick, only where something changed, the window shows what a
        // whole new drawing of it shows.
        for (int ms = 0; ms < 7000; ms += 100) {
            w_->clock.advance(100);
            QCoreApplication::processEvents();
        }
        const QImage painted = w_->window->screen()->grabWindow(w_->window->winId()).toImage();
        QCOMPARE(painted, w_->window->grab().toImage().convertToFormat(painted.format()));
        QCOMPARE(w_->widget("Picture1")->accessibleDescription(),
                 "Keys at 0, 5, 60, 150, 175, 180 s");
        QImage shown(4 * 113 + 577, 65, QImage::Format_RGB32);
        shown.fill(Qt::white);
        QPainter p(&shown);
        int left = 0;
        for (const char* name : {"WF3PB", "WF1PB", "WF4PB", "WF2PB", "Picture1"}) {
            const QImage view = w_->widget(name)->grab().toImage();
            p.drawImage(left, 0, view);
            left += view.width();
        }
        p.end();
        const QImage stored(QStringLiteral(QUORVANE_TEST_DATA "/views.png"));
        if (shown != stored.convertToFormat(QImage::Format_RGB32)) {
            shown.save(QDir::temp().filePath("views.png"));
            QFAIL("the views differ from views.png; what they show is in the temporary folder");
        }
    }

    // Tab reaches each control once, as the window reads; each has a name of its own, from
    // its label or caption, and a screen reader hears and sets a slider's value, not the
    // mirrored position.
    void tab_reaches_every_control_once_as_the_window_reads_each_by_its_name() {
        QCOMPARE(QApplication::focusWidget(), w_->widget(bar(P::LeftPartial1)));
        const QStringList forward = walk();
        QStringList inputs, sorted = forward, names, transport;
        for (QWidget* w : w_->window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (w->isVisible() && (qobject_cast<QScrollBar*>(w) || qobject_cast<QLineEdit*>(w) ||
                                   qobject_cast<QCheckBox*>(w) || qobject_cast<QPushButton*>(w) ||
                                   qobject_cast<QListWidget*>(w)))
                inputs << w->objectName();
        }
        sorted.sort();
        inputs.sort();
        QCOMPARE(sorted, inputs);  // each once, the hidden Freq and List2 never
        for (const QString& name : forward) names << spoken(name);
        QVERIFY(!names.contains(QString()) && names.removeDuplicates() == 0);
        for (auto [control, name] : {std::pair{bar(P::Tune), "Tune"},
                                     {bar(P::Vol), "Vol"},
                                     {bar(P::LeftPartial2), "Left partial 2 amplitude"},
                                     {bar(P::LeftPhase4), "Left partial 4 phase"},
                                     {text(P::SwitchSpeed), "Switching speed value"},
                                     {item("ck", Free::RightShift), "Right shift free"},
                                     {QStringLiteral("Text2"), "Time in seconds"},
                                     {QStringLiteral("List1"), "Files in this Session"},
                                     {QStringLiteral("WF1PB"), "Left Waveform view"}})
            QCOMPARE(spoken(control), QString(name));
        // A parameter's slider and its value side by side.
        for (const params::Param& p : params::kParams)
            if (p.id != P::Freq)
                QCOMPARE(std::abs(forward.indexOf(bar(p.id)) - forward.indexOf(text(p.id))), 1);
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
        QCOMPARE(transport, QStringList({"prevkey", "oneback", "play", "oneforward", "nextkey",
                                         "Text2", "setkey", "execute", "stop", "pause", "delkey"}));
        QStringList backward = walk(Qt::ShiftModifier);
        std::reverse(backward.begin() + 1, backward.end());
        QCOMPARE(backward, forward);
        // A disabled button is passed over; a new caption is shown and heard.
        w_->form.play.caption = "Again";
        w_->form.play.set_enabled(false);
        QVERIFY(!walk().contains("play"));
        QCOMPARE(w_->widget<QPushButton>("play")->text(), QStringLiteral("Again"));
        QCOMPARE(spoken("play"), QStringLiteral("Again"));
        auto* tune =
            QAccessible::queryAccessibleInterface(w_->widget(bar(P::Tune)))->valueInterface();
        QCOMPARE(tune->currentValue().toInt(), 20);
        tune->setCurrentValue(35);
        QCOMPARE(w_->panel.tx(P::Tune).text(), "35");
    }

    // Ticks come from the event loop until the timer is disabled. A handler that spins the
    // event loop (as a modal dialog would) is not entered again, nor does another tick run
    // inside it; a timer may end itself in its own tick.
    void the_qt_clock_ticks_from_the_event_loop_never_one_inside_another() {
        QtClock clock;
        Timer slow(clock, true), fast(clock, true);
        int depth = 0, deepest = 0, slow_ticks = 0, fast_ticks = 0;
        slow.on_tick = [&] {
            deepest = std::max(deepest, ++depth), ++slow_ticks, QTest::qWait(30), --depth;
        };
        fast.on_tick = [&] { deepest = std::max(deepest, ++depth), ++fast_ticks, --depth; };
        slow.set_interval(5);
        fast.set_interval(2);
        QCOMPARE(slow_ticks + fast_ticks, 0);
        QTRY_VERIFY(slow_ticks >= 3);
        QCOMPARE(deepest, 1);
        slow.set_enabled(false);
        fast.set_enabled(false);
        const int stopped_at = fast_ticks;
        QTest::qWait(40);
        QCOMPARE(fast_ticks, stopped_at);
        fast.set_enabled(true);
        QTRY_VERIFY(fast_ticks > stopped_at);
        auto ending = std::make_unique<Timer>(clock, true);
        ending->on_tick = [&] { ending.reset(); };
        ending->set_interval(1);
        QTRY_VERIFY(!ending);
    }
};

QTEST_MAIN(WindowTest)
#include "WindowTest.moc"
