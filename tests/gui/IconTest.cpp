#include <QImage>
#include <QTest>

#include "gui/Skin.h"

// The desktop shows the installed icons (rendered from the SVG) in its menus and the
// window's own icon (drawn in code) in its title bar: they must be the same picture.
class IconTest : public QObject {
    Q_OBJECT

private slots:
    void installed_icons_show_the_window_icon() {
        for (int size : {16, 32}) {
            QImage installed(QFINDTESTDATA(
                QStringLiteral("../../data/icons/hicolor/%1x%1/apps/org.quorvane.Quorvane.png")
                    .arg(size)));
            QImage drawn = qv::skin::window_icon().pixmap(size, size).toImage();
            QCOMPARE(installed.size(), QSize(size, size));
            QCOMPARE(drawn.size(), QSize(size, size));
            // Edges are smoothed a little differently; elsewhere the colours agree.
            double total = 0;
            int far_off = 0;
            for (int y = 0; y < size; ++y) {
                for (int x = 0; x < size; ++x) {
                    const QColor a = installed.pixelColor(x, y), b = drawn.pixelColor(x, y);
                    const int d = std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                                  std::abs(a.blue() - b.blue()) + std::abs(a.alpha() - b.alpha());
                    total += d;
                    far_off += d > 200;
                }
            }
            QVERIFY2(total / (size * size) < 15 && far_off <= size * size / 25,
                     qPrintable(QStringLiteral("%1 px: mean %2, %3 far off")
                                    .arg(size)
                                    .arg(total / (size * size))
                                    .arg(far_off)));
        }
    }
};

QTEST_MAIN(IconTest)
#include "IconTest.moc"
