#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOptionSlider>

#include "WindowFixture.h"

using namespace qv;

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
            QWidget* w = w_->widget(index < 0 ? name : name + QStringLiteral("(%1)").arg(index));
            const Rect& r = control.rect;
            QCOMPARE(w->geometry(), QRect(qRound(r.left / 15.0), qRound(r.top / 15.0),
                                          qRound(r.width / 15.0), qRound(r.height / 15.0)));
            QCOMPARE(w->toolTip(), QString::fromStdString(control.tooltip));
        });
        QCOMPARE(w_->widget("save")->toolTip(), QStringLiteral("  Save this setup  "));
        for (auto [name, shape] : {std::pair{"sc(0)", Qt::SizeVerCursor},
                                   {"sc(25)", Qt::SizeVerCursor},
                                   {"hsc(34)", Qt::SizeHorCursor},
                                   {"hsc(37)", Qt::SizeHorCursor},
                                   {"hsc(26)", Qt::ArrowCursor},
                                   {"time", Qt::ArrowCursor}})
            QCOMPARE(w_->widget(name)->cursor().shape(), shape);
        // Keyframes reach sc(8) through its text; its widgets still stay out of sight.
        w_->panel().tx(8).set_text("30");
        for (const char* hidden : {"sc(8)", "tx(8)", "List2"})
            QVERIFY(!w_->widget(hidden)->isVisible());
    }

    void thumb_release_reports_once_with_maximum_at_top() {
        auto* bar = w_->widget<QScrollBar>("sc(12)");  // depth, 0..50
        int changes = 0;
        w_->panel().sc(12).on_change = [&] { ++changes; };
        for (auto [to, value] : {std::pair{QPoint(bar->width() / 2, 0), 50},
                                 {QPoint(bar->width() / 2, bar->height() - 1), 0}}) {
            const int before = w_->panel().sc(12).value();
            QTest::mousePress(bar, Qt::LeftButton, {}, centre(bar, QStyle::SC_ScrollBarSlider));
            QTest::mouseMove(bar, (centre(bar, QStyle::SC_ScrollBarSlider) + to) / 2);
            QTest::mouseMove(bar, to);
            QCOMPARE(w_->panel().sc(12).value(), before);
            QTest::mouseRelease(bar, Qt::LeftButton, {}, to);
            QCOMPARE(w_->panel().sc(12).value(), value);
        }
        QCOMPARE(changes, 2);
    }

    void arrow_and_trough_clicks_move_the_value_by_one() {
        using S = QStyle;  // the upper arrow, the lower one, the trough below the thumb and above
        for (auto [part, value] : {std::pair{S::SC_ScrollBarSubLine, 21},
                                   {S::SC_ScrollBarAddLine, 20},
                                   {S::SC_ScrollBarAddPage, 19},
                                   {S::SC_ScrollBarSubPage, 20}}) {
            QTest::mouseClick(w_->widget("sc(9)"), Qt::LeftButton, {},
                              centre(w_->widget<QScrollBar>("sc(9)"), part));
            QCOMPARE(w_->panel().sc(9).value(), value);
        }
        auto* offset = w_->widget<QScrollBar>("hsc(36)");
        QTest::mouseClick(offset, Qt::LeftButton, {}, centre(offset, S::SC_ScrollBarAddLine));
        QCOMPARE(w_->panel().hsc(36).value(), 1);  // the right arrow
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
        w_->form.play.caption = "Playing";
        w_->form.play.set_enabled(false);
        QCOMPARE(w_->widget<QPushButton>("play")->text(), QStringLiteral("Playing"));
        QVERIFY(!w_->widget("play")->isEnabled());
        w_->panel().ck(0).set_value(2);
        QCOMPARE(w_->widget<QCheckBox>("ck(0)")->checkState(), Qt::PartiallyChecked);
        QTest::mouseClick(w_->widget("ck(0)"), Qt::LeftButton);
        QCOMPARE(w_->panel().ck(0).value(), 1);
    }

    void lists_show_the_folder_and_raise_their_events() {
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
        // The point at (120, 204) lands near pixel (75, 52).
        QVERIFY(!image.copy(74, 51, 3, 3).convertToFormat(QImage::Format_RGB32).allGray());
        view.cls();
        QCOMPARE(w_->widget("WF1PB")->grab().toImage().pixelColor(56, 0), QColor(0, 0, 0));
    }

    void reports_show_without_blocking_and_closing_unloads_the_form() {
        w_->form.report("Default.qrv could not be written");
        auto* box = w_->window->findChild<QMessageBox*>();
        QVERIFY(box && box->isVisible() && box->windowModality() == Qt::NonModal);
        QCOMPARE(box->text(), QStringLiteral("Default.qrv could not be written"));
        w_->window->close();
        QVERIFY(!w_->tone.channelBuffer(0) && !w_->form.Timer1.enabled());
    }
};

QTEST_MAIN(WindowTest)
#include "WindowTest.moc"
