#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <memory>

#include "app/MainForm.h"
#include "controls/VirtualClock.h"
#include "gui/MainWindow.h"

using namespace qv;

namespace {

QRect scroll_part(QScrollBar* bar, QStyle::SubControl part) {
    QStyleOptionSlider opt;
    opt.initFrom(bar);
    opt.orientation = bar->orientation();
    if (bar->orientation() == Qt::Horizontal) opt.state |= QStyle::State_Horizontal;
    opt.minimum = bar->minimum();
    opt.maximum = bar->maximum();
    opt.sliderPosition = bar->sliderPosition();
    opt.sliderValue = bar->value();
    opt.singleStep = bar->singleStep();
    opt.pageStep = bar->pageStep();
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &opt, part, bar);
}

void click_part(QScrollBar* bar, QStyle::SubControl part) {
    QTest::mouseClick(bar, Qt::LeftButton, {}, scroll_part(bar, part).center());
}

// Presses the thumb, drags it to `to` and returns the core's value before the release.
template <typename Core>
int drag_thumb(QScrollBar* bar, QPoint to, Core& core) {
    QPoint from = scroll_part(bar, QStyle::SC_ScrollBarSlider).center();
    QTest::mousePress(bar, Qt::LeftButton, {}, from);
    QTest::mouseMove(bar, (from + to) / 2);
    QTest::mouseMove(bar, to);
    int during = core.value();
    QTest::mouseRelease(bar, Qt::LeftButton, {}, to);
    return during;
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    std::unique_ptr<VirtualClock> clock_;
    std::unique_ptr<modSynth_DX7> tone_;
    std::unique_ptr<MainForm> form_;
    std::unique_ptr<MainWindow> window_;

    template <typename W>
    W* widget(const QString& name) {
        auto* w = qobject_cast<W*>(window_->control_widget(name));
        if (!w) qFatal("no widget %s", qPrintable(name));
        return w;
    }
    Panel& panel() { return form_->panel; }

  private slots:
    void initTestCase() {
        QVERIFY(folder_.isValid());
        for (const char* name : {"b.qrv", "a.qrv", "x.ses"}) {
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
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }

    void cleanup() {
        window_.reset();
        form_.reset();
        tone_.reset();
        clock_.reset();
    }

    void window_carries_every_control_of_the_form() {
        QCOMPARE(window_->windowTitle(), QStringLiteral("Quorvane 0.2 Beta"));
        QCOMPARE(window_->size(), QSize(627, 569));
        QCOMPARE(window_->minimumSize(), window_->maximumSize());

        int count = 0;
        form_->for_each_control([&](Control& control, std::string_view array, int index) {
            QString name = QString::fromUtf8(array.data(), static_cast<qsizetype>(array.size()));
            if (index >= 0) name += QStringLiteral("(%1)").arg(index);
            QWidget* w = window_->control_widget(name);
            QVERIFY2(w, qPrintable(name));
            const Rect& r = control.rect;
            QCOMPARE(w->geometry(), QRect(qRound(r.left / 15.0), qRound(r.top / 15.0),
                                          qRound(r.width / 15.0), qRound(r.height / 15.0)));
            QCOMPARE(w->toolTip(), QString::fromStdString(control.tooltip));
            ++count;
        });
        const int shapes = 4, labels = 20, pictures = 6, bars = 38 + 1, texts = 38 + 3,
                  switches = 4, buttons = 15, lists = 4;
        QCOMPARE(count, shapes + labels + pictures + bars + texts + switches + buttons + lists);
        // Blanks around a tooltip are part of it.
        QCOMPARE(widget<QPushButton>("save")->toolTip(), QStringLiteral("  Save this setup  "));
        QCOMPARE(
            widget<QLineEdit>("tx(37)")->toolTip(),
            QStringLiteral("  Speed of switching (Use same value with am speed to get sync)   "));

        QCOMPARE(widget<QScrollBar>("sc(0)")->cursor().shape(), Qt::SizeVerCursor);
        QCOMPARE(widget<QScrollBar>("sc(25)")->cursor().shape(), Qt::SizeVerCursor);
        QCOMPARE(widget<QScrollBar>("hsc(34)")->cursor().shape(), Qt::SizeHorCursor);
        QCOMPARE(widget<QScrollBar>("hsc(37)")->cursor().shape(), Qt::SizeHorCursor);
        QCOMPARE(widget<QScrollBar>("hsc(26)")->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(widget<QScrollBar>("time")->cursor().shape(), Qt::ArrowCursor);
    }

    void hidden_controls_stay_hidden_and_splash_follows_timer3() {
        QVERIFY(!window_->control_widget("sc(8)")->isVisible());
        QVERIFY(!window_->control_widget("tx(8)")->isVisible());
        QVERIFY(!window_->control_widget("List2")->isVisible());
        QVERIFY(window_->control_widget("sc(9)")->isVisible());

        QWidget* about = window_->control_widget("about");
        QVERIFY(about->isVisible());
        clock_->advance_to(3000);
        QVERIFY(!about->isVisible());
        // Keyframes reach sc(8) through its text; its widgets still stay out of sight.
        panel().tx(8).set_text("30");
        QCOMPARE(panel().sc(8).value(), 30);
        QVERIFY(!window_->control_widget("sc(8)")->isVisible());
    }

    void thumb_release_reports_once_with_maximum_at_top() {
        QScrollBar* bar = widget<QScrollBar>("sc(12)");
        ScrollBar& core = panel().sc(12);
        QCOMPARE(core.value(), 0);
        QVERIFY(scroll_part(bar, QStyle::SC_ScrollBarSlider).bottom() >
                scroll_part(bar, QStyle::SC_ScrollBarGroove).bottom() - 3);

        int changes = 0;
        core.on_change = [&] { ++changes; };
        QCOMPARE(drag_thumb(bar, QPoint(bar->width() / 2, 0), core), 0);
        QCOMPARE(core.value(), 50);
        QCOMPARE(changes, 1);

        QCOMPARE(drag_thumb(bar, QPoint(bar->width() / 2, bar->height() - 1), core), 50);
        QCOMPARE(core.value(), 0);
        QCOMPARE(changes, 2);
    }

    void arrow_and_trough_clicks_move_the_value_by_one() {
        QScrollBar* tune = widget<QScrollBar>("sc(9)");
        ScrollBar& core = panel().sc(9);
        QCOMPARE(core.value(), 20);
        click_part(tune, QStyle::SC_ScrollBarSubLine);  // the upper arrow
        QCOMPARE(core.value(), 21);
        click_part(tune, QStyle::SC_ScrollBarAddLine);
        click_part(tune, QStyle::SC_ScrollBarAddLine);
        QCOMPARE(core.value(), 19);
        click_part(tune, QStyle::SC_ScrollBarSubPage);  // trough above the thumb
        QCOMPARE(core.value(), 20);
        click_part(tune, QStyle::SC_ScrollBarAddPage);
        QCOMPARE(core.value(), 19);
        QCOMPARE(panel().tx(9).text(), "19");

        QScrollBar* offs = widget<QScrollBar>("hsc(36)");
        click_part(offs, QStyle::SC_ScrollBarAddLine);  // the right arrow
        QCOMPARE(panel().hsc(36).value(), 1);
        click_part(offs, QStyle::SC_ScrollBarSubLine);
        click_part(offs, QStyle::SC_ScrollBarSubLine);  // already at 0
        QCOMPARE(panel().hsc(36).value(), 0);
    }

    void typing_reaches_the_core_and_the_coupled_slider() {
        QLineEdit* text = widget<QLineEdit>("tx(5)");
        QScrollBar* bar = widget<QScrollBar>("sc(5)");
        QTest::keyClicks(text, "42");
        QCOMPARE(panel().tx(5).text(), "42");
        QCOMPARE(panel().sc(5).value(), 42);
        QCOMPARE(bar->value(), 100 - 42);

        // Clearing a text makes it "0" in the core, and the box shows it at once.
        QLineEdit* offs = widget<QLineEdit>("tx(36)");
        panel().hsc(36).set_value(12);
        offs->selectAll();
        QTest::keyClick(offs, Qt::Key_Backspace);
        QCOMPARE(offs->text(), QStringLiteral("0"));
        QCOMPARE(widget<QScrollBar>("hsc(36)")->value(), 0);
    }

    void program_writes_reach_the_widgets() {
        panel().sc(5).set_value(42);
        QCOMPARE(widget<QLineEdit>("tx(5)")->text(), QStringLiteral("42"));
        QCOMPARE(widget<QScrollBar>("sc(5)")->value(), 100 - 42);

        panel().tx(30).set_text("77");
        QCOMPARE(widget<QScrollBar>("hsc(30)")->value(), 77);

        form_->play.set_enabled(false);
        QVERIFY(!widget<QPushButton>("play")->isEnabled());
        form_->play.caption = "Playing";
        form_->play.set_enabled(true);
        QCOMPARE(widget<QPushButton>("play")->text(), QStringLiteral("Playing"));
    }

    void free_switch_toggles_on_click_and_shows_greyed() {
        QCheckBox* box = widget<QCheckBox>("ck(0)");
        CheckBox& core = panel().ck(0);
        QTest::mouseClick(box, Qt::LeftButton);
        QCOMPARE(core.value(), 1);
        QTest::mouseClick(box, Qt::LeftButton);
        QCOMPARE(core.value(), 0);
        core.set_value(2);
        QCOMPARE(box->checkState(), Qt::PartiallyChecked);
        QTest::mouseClick(box, Qt::LeftButton);
        QCOMPARE(core.value(), 1);
    }

    void buttons_and_lists_raise_their_events() {
        int plays = 0;
        form_->play.on_click = [&] { ++plays; };
        QTest::mouseClick(widget<QPushButton>("play"), Qt::LeftButton);
        QCOMPARE(plays, 1);
        form_->play.set_enabled(false);
        QTest::mouseClick(widget<QPushButton>("play"), Qt::LeftButton);
        QCOMPARE(plays, 1);

        QListWidget* files = widget<QListWidget>("File1");
        QCOMPARE(files->count(), 2);
        QCOMPARE(files->item(0)->text(), QStringLiteral("a.qrv"));
        QCOMPARE(widget<QListWidget>("File2")->count(), 1);
        std::string loaded;
        form_->File1.on_dbl_click = [&] { loaded = form_->File1.filename(); };
        // As the desktop delivers it: a click, then the second press as a double click.
        QPoint second = files->visualItemRect(files->item(1)).center();
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, second);
        QTest::mouseDClick(files->viewport(), Qt::LeftButton, {}, second);
        QCOMPARE(loaded, "b.qrv");

        QListWidget* session = widget<QListWidget>("List1");
        form_->List1.add_item("one.qrv");
        form_->List1.add_item("two.qrv");
        QCOMPARE(session->count(), 2);
        QTest::mouseClick(session->viewport(), Qt::LeftButton, {},
                          session->visualItemRect(session->item(1)).center());
        QCOMPARE(form_->List1.list_index(), 1);
        form_->List1.remove_item(0);
        QCOMPARE(session->count(), 1);
        QCOMPARE(session->item(0)->text(), QStringLiteral("two.qrv"));
        QCOMPARE(session->currentRow(), 0);
    }

    void picture_box_draws_in_its_own_coordinates() {
        PictureBox& view = form_->WF1PB;  // 180 x 255 units over 113 x 65 pixels, black
        view.pset(120, 204, rgb(255, 0, 0));
        view.line(0, 0, 180, 0, rgb(0, 255, 0));
        QImage image = window_->control_widget("WF1PB")->grab().toImage();
        auto red_near = [&](int x, int y) {
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if (image.pixelColor(x + dx, y + dy) == QColor(255, 0, 0)) return true;
            return false;
        };
        QVERIFY(red_near(75, 52));
        QCOMPARE(image.pixelColor(56, 0), QColor(0, 255, 0));
        QCOMPARE(image.pixelColor(56, 30), QColor(0, 0, 0));

        view.cls();
        image = window_->control_widget("WF1PB")->grab().toImage();
        QVERIFY(!red_near(75, 52));
    }

    void report_shows_without_blocking() {
        form_->report("Default.qrv could not be written");
        auto* box = window_->findChild<QMessageBox*>();
        QVERIFY(box);
        QVERIFY(box->isVisible());
        QCOMPARE(box->windowModality(), Qt::NonModal);
        QCOMPARE(box->text(), QStringLiteral("Default.qrv could not be written"));
    }

    void closing_the_window_unloads_the_form() {
        QVERIFY(tone_->channelBuffer(0));
        window_->close();
        QVERIFY(!tone_->channelBuffer(0));
        QVERIFY(!form_->Timer1.enabled());
    }
};

QTEST_MAIN(WindowTest)
#include "WindowTest.moc"
