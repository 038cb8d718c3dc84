// The window at the desktop's scale (QT_SCALE_FACTOR, 1.5 and 2 in the test run) and under
// a dark palette: every caption fits its control, every text can be read and the focus can
// be seen on every control. Screenshots of both go to the folder named by LOOKS_OUTPUT.
#include "../gui/WindowFixture.h"
#include "gui/Colors.h"

class LooksTest : public QObject {
    Q_OBJECT

    static void shoot(OpenWindow& w, const QString& name) {
        const QString folder = qEnvironmentVariable("LOOKS_OUTPUT");
        const QString scale = qEnvironmentVariable("QT_SCALE_FACTOR", "1");
        if (!folder.isEmpty())
            QVERIFY(w.window->grab().save(QStringLiteral("%1/%2-%3.png").arg(folder, name, scale)));
    }

    // Each control given the keyboard by Tab shows a frame: at the middle of each side, as the
    // screen shows it, one of its lines stands 3:1 from what lies just outside, one from inside.
    static void focus_frames_stand_out(OpenWindow& w) {
        for (QWidget* c : w.window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (c->focusPolicy() == Qt::NoFocus || !c->isVisible() || !c->isEnabled()) continue;
            c->setFocus(Qt::TabFocusReason);
            const QImage shot = w.window->grab().toImage().scaled(w.window->size());
            const QRect g = c->geometry();
            for (auto [edge, out] : {std::pair{QPoint(g.left(), g.center().y()), QPoint(-1, 0)},
                                     {QPoint(g.right(), g.center().y()), QPoint(1, 0)},
                                     {QPoint(g.center().x(), g.top()), QPoint(0, -1)},
                                     {QPoint(g.center().x(), g.bottom()), QPoint(0, 1)}}) {
                const QColor outer = shot.pixelColor(edge + out), inner = shot.pixelColor(edge);
                for (const QColor& beside :
                     {shot.pixelColor(edge + 2 * out), shot.pixelColor(edge - out)})
                    QVERIFY2(std::max(contrast(outer, beside), contrast(inner, beside)) >= 3,
                             qPrintable(c->objectName()));
            }
        }
    }

private slots:
    void captions_fit_their_controls() {
        OpenWindow w;
        for (QWidget* c : w.window->findChildren<QWidget*>()) {
            // A button's frame takes 4 pixels, a box's 2; "100" is the widest value a parameter
            // shows.
            auto* button = qobject_cast<QPushButton*>(c);
            auto* label = qobject_cast<QLabel*>(c);
            const bool value = qobject_cast<QLineEdit*>(c) && c->objectName().startsWith("tx(");
            const QString text = button  ? button->text()
                                 : label ? label->text()
                                 : value ? "100"
                                         : "";
            const int room = c->width() - (button ? 4 : value ? 2 : 0);
            if (text.isEmpty() || !c->isVisible()) continue;
            QVERIFY2(c->fontMetrics().horizontalAdvance(text) <= room,
                     qPrintable(c->objectName() + ": " + text));
        }
        focus_frames_stand_out(w);
        shoot(w, QStringLiteral("scaled"));
    }

    void texts_can_be_read_on_a_dark_desktop() {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QPalette dark;
        for (auto [role, color] : {std::pair{QPalette::Window, QColor(53, 53, 53)},
                                   {QPalette::WindowText, QColor(Qt::white)},
                                   {QPalette::Base, QColor(42, 42, 42)},
                                   {QPalette::Text, QColor(Qt::white)},
                                   {QPalette::Button, QColor(53, 53, 53)},
                                   {QPalette::ButtonText, QColor(Qt::white)}})
            dark.setColor(role, color);
        QApplication::setPalette(dark);
        OpenWindow w;
        for (QWidget* c : w.window->findChildren<QWidget*>()) {
            const QPalette& p = c->palette();
            double ratio = 21;
            if (qobject_cast<QLabel*>(c))
                ratio = contrast(p.color(QPalette::WindowText), QColor(kSkinShade));
            else if (qobject_cast<QLineEdit*>(c) || qobject_cast<QListWidget*>(c))
                ratio = contrast(p.color(QPalette::Text), p.color(QPalette::Base));
            else if (qobject_cast<QPushButton*>(c))
                ratio = contrast(p.color(QPalette::ButtonText), p.color(QPalette::Button));
            QVERIFY2(ratio >= 3.0, qPrintable(c->objectName() + QStringLiteral(": %1").arg(ratio)));
        }
        // A light box keeps its dark text; one named green keeps its green on black.
        QCOMPARE(w.widget("Text2")->palette().color(QPalette::Text), QColor(Qt::black));
        QCOMPARE(w.widget("Text3")->palette().color(QPalette::Base), QColor(Qt::black));
        focus_frames_stand_out(w);
        shoot(w, QStringLiteral("dark"));
    }
};

QTEST_MAIN(LooksTest)
#include "LooksTest.moc"
