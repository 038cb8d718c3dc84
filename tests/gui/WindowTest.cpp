#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOptionSlider>

#include "WindowFixture.h"

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

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT
    std::unique_ptr<OpenWindow> w_;

private slots:
    void init() { w_ = std::make_unique<OpenWindow>(); }
    void cleanup() { w_.reset(); }

    void window_carries_every_control_of_the_form() {
        QCOMPARE(w_->window->windowTitle(), QStringLiteral("Quorvane 0.2 Beta"));
        QCOMPARE(w_->window->size(), QSize(627, 569));
        QCOMPARE(w_->window->minimumSize(), w_->window->maximumSize());
        w_->form.for_each_control([&](Control& control, std::string_view array, int index) {
            QString name = QString::fromUtf8(array.data(), qsizetype(array.size()));
            if (index >= 0) name += QStringLiteral("(%1)").arg(index);
            QWidget* w = w_->widget(name);
            const Rect& r = control.rect;
            QCOMPARE(w->geometry(), QRect(qRound(r.left / 15.0), qRound(r.top / 15.0),
                                          qRound(r.width / 15.0), qRound(r.height / 15.0)));
            QCOMPARE(w->toolTip(), QString::fromStdString(control.tooltip));
        });
        QCOMPARE(w_->widget("save")->toolTip(), QStringLiteral("  Save this setup  "));
        const std::pair<const char*, Qt::CursorShape> cursors[] = {
            {"sc(0)", Qt::SizeVerCursor},   {"sc(25)", Qt::SizeVerCursor},
            {"hsc(34)", Qt::SizeHorCursor}, {"hsc(37)", Qt::SizeHorCursor},
            {"hsc(26)", Qt::ArrowCursor},   {"time", Qt::ArrowCursor}};
        for (auto [name, shape] : cursors) QCOMPARE(w_->widget(name)->cursor().shape(), shape);
        // Keyframes reach sc(8) through its text; its widgets still stay out of sight.
        w_->panel().tx(8).set_text("30");
        QCOMPARE(w_->panel().sc(8).value(), 30);
        for (const char* hidden : {"sc(8)", "tx(8)", "List2"})
            QVERIFY(!w_->widget(hidden)->isVisible());
    }

    void thumb_release_reports_once_with_maximum_at_top() {
        QScrollBar* bar = w_->widget<QScrollBar>("sc(12)");
        ScrollBar& core = w_->panel().sc(12);
        int changes = 0;
        core.on_change = [&] { ++changes; };
        for (int to_y : {0, bar->height() - 1}) {
            const int before = core.value();
            QPoint from = scroll_part(bar, QStyle::SC_ScrollBarSlider).center(),
                   to(bar->width() / 2, to_y);
            QTest::mousePress(bar, Qt::LeftButton, {}, from);
            QTest::mouseMove(bar, (from + to) / 2);
            QTest::mouseMove(bar, to);
            QCOMPARE(core.value(), before);
            QTest::mouseRelease(bar, Qt::LeftButton, {}, to);
            QCOMPARE(core.value(), to_y == 0 ? 50 : 0);
        }
        QCOMPARE(changes, 2);
    }

    void arrow_and_trough_clicks_move_the_value_by_one() {
        QScrollBar* tune = w_->widget<QScrollBar>("sc(9)");
        QScrollBar* offset = w_->widget<QScrollBar>("hsc(36)");
        const std::tuple<QScrollBar*, QStyle::SubControl, int> clicks[] = {
            {tune, QStyle::SC_ScrollBarSubLine, 21},  // the upper arrow
            {tune, QStyle::SC_ScrollBarAddLine, 20},
            {tune, QStyle::SC_ScrollBarAddPage, 19},  // trough below the thumb
            {tune, QStyle::SC_ScrollBarSubPage, 20},
            {offset, QStyle::SC_ScrollBarAddLine, 1},  // the right arrow
            {offset, QStyle::SC_ScrollBarSubLine, 0},
            {offset, QStyle::SC_ScrollBarSubLine, 0},  // already at 0
        };
        for (auto [bar, part, value] : clicks) {
            click_part(bar, part);
            QCOMPARE(w_->panel().bar(bar == tune ? 9 : 36).value(), value);
        }
        QCOMPARE(w_->panel().tx(9).text(), "20");
    }

    void typing_and_program_writes_go_both_ways() {
        QTest::keyClicks(w_->widget("tx(5)"), "42");
        QCOMPARE(w_->panel().sc(5).value(), 42);
        QCOMPARE(w_->widget<QScrollBar>("sc(5)")->value(), 100 - 42);
        // Clearing a text makes it "0" in the core, and the box shows it at once.
        auto* offset = w_->widget<QLineEdit>("tx(36)");
        w_->panel().hsc(36).set_value(12);
        offset->selectAll();
        QTest::keyClick(offset, Qt::Key_Backspace);
        QCOMPARE(offset->text(), QStringLiteral("0"));
        QCOMPARE(w_->widget<QScrollBar>("hsc(36)")->value(), 0);

        w_->panel().sc(7).set_value(42);
        QCOMPARE(w_->widget<QLineEdit>("tx(7)")->text(), QStringLiteral("42"));
        QCOMPARE(w_->widget<QScrollBar>("sc(7)")->value(), 100 - 42);
        w_->panel().tx(30).set_text("77");
        QCOMPARE(w_->widget<QScrollBar>("hsc(30)")->value(), 77);
        w_->form.play.caption = "Playing";
        w_->form.play.set_enabled(false);
        QCOMPARE(w_->widget<QPushButton>("play")->text(), QStringLiteral("Playing"));
        QVERIFY(!w_->widget("play")->isEnabled());
    }

    void free_switch_toggles_on_click_and_shows_greyed() {
        auto* box = w_->widget<QCheckBox>("ck(0)");
        CheckBox& core = w_->panel().ck(0);
        QTest::mouseClick(box, Qt::LeftButton);
        QCOMPARE(core.value(), 1);
        core.set_value(2);
        QCOMPARE(box->checkState(), Qt::PartiallyChecked);
        QTest::mouseClick(box, Qt::LeftButton);
        QCOMPARE(core.value(), 1);
    }

    void buttons_and_lists_raise_their_events() {
        int plays = 0;
        w_->form.play.on_click = [&] { ++plays; };
        QTest::mouseClick(w_->widget("play"), Qt::LeftButton);
        w_->form.play.set_enabled(false);
        QTest::mouseClick(w_->widget("play"), Qt::LeftButton);
        QCOMPARE(plays, 1);

        auto* files = w_->widget<QListWidget>("File1");
        QCOMPARE(files->count(), 2);
        QCOMPARE(files->item(0)->text(), QStringLiteral("a.qrv"));
        QCOMPARE(w_->widget<QListWidget>("File2")->count(), 1);
        std::string loaded;
        w_->form.File1.on_dbl_click = [&] { loaded = w_->form.File1.filename(); };
        // As the desktop delivers it: a click, then the second press as a double click.
        QPoint second = files->visualItemRect(files->item(1)).center();
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, second);
        QTest::mouseDClick(files->viewport(), Qt::LeftButton, {}, second);
        QCOMPARE(loaded, "b.qrv");

        auto* session = w_->widget<QListWidget>("List1");
        w_->form.List1.add_item("one.qrv");
        w_->form.List1.add_item("two.qrv");
        QTest::mouseClick(session->viewport(), Qt::LeftButton, {},
                          session->visualItemRect(session->item(1)).center());
        QCOMPARE(w_->form.List1.list_index(), 1);
        w_->form.List1.remove_item(0);
        QCOMPARE(session->count(), 1);
        QCOMPARE(session->currentRow(), 0);
    }

    void picture_box_draws_in_its_own_coordinates() {
        PictureBox& view = w_->form.WF1PB;  // 180 x 255 units over 113 x 65 pixels, black
        view.pset(120, 204, rgb(255, 0, 0));
        view.line(0, 0, 180, 0, rgb(0, 255, 0));
        QImage image = w_->widget("WF1PB")->grab().toImage();
        QCOMPARE(image.pixelColor(56, 0), QColor(0, 255, 0));
        QCOMPARE(image.pixelColor(56, 30), QColor(0, 0, 0));
        int red = 0;
        for (int y = 51; y <= 53; ++y)
            for (int x = 74; x <= 76; ++x) red += image.pixelColor(x, y) == QColor(255, 0, 0);
        QVERIFY(red > 0);
        view.cls();
        QCOMPARE(w_->widget("WF1PB")->grab().toImage().pixelColor(56, 0), QColor(0, 0, 0));
    }

    void reports_show_without_blocking_and_closing_unloads_the_form() {
        w_->form.report("Default.qrv could not be written");
        auto* box = w_->window->findChild<QMessageBox*>();
        QVERIFY(box && box->isVisible());
        QCOMPARE(box->windowModality(), Qt::NonModal);
        QCOMPARE(box->text(), QStringLiteral("Default.qrv could not be written"));
        w_->window->close();
        QVERIFY(!w_->tone.channelBuffer(0));
        QVERIFY(!w_->form.Timer1.enabled());
    }
};

QTEST_MAIN(WindowTest)
#include "WindowTest.moc"
