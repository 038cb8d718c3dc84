#include <QImage>
#include <QTest>
#include <cmath>

#include "gui/Skin.h"

// The desktop shows the installed icons (rendered from the SVG) in its menus and the
// window's own icon (drawn in code) in its title bar and task list: they must be the
// same picture.
class IconTest : public QObject {
    Q_OBJECT

private slots:
    void installed_icons_show_the_window_icon() {
        const QIcon window = qv::skin::window_icon();
        for (int size : {16, 32}) {
            QString path = QFINDTESTDATA(
                QStringLiteral("../../data/icons/hicolor/%1x%1/apps/org.quorvane.Quorvane.png")
                    .arg(size));
            QImage installed(path);
            QVERIFY2(!installed.isNull(), qPrintable(path));
            QCOMPARE(installed.size(), QSize(size, size));
            QImage drawn = window.pixmap(size, size).toImage();
            QCOMPARE(drawn.size(), QSize(size, size));
            installed = installed.convertToFormat(QImage::Format_ARGB32);
            drawn = drawn.convertToFormat(QImage::Format_ARGB32);

            // Edges are smoothed a little differently; the colours must agree everywhere
            // else, so the mean difference stays small and no pixel is far off.
            double total = 0;
            int far_off = 0;
            for (int y = 0; y < size; ++y) {
                for (int x = 0; x < size; ++x) {
                    QColor a = installed.pixelColor(x, y), b = drawn.pixelColor(x, y);
                    int d = std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                            std::abs(a.blue() - b.blue()) + std::abs(a.alpha() - b.alpha());
                    total += d;
                    if (d > 200) ++far_off;
                }
            }
            double mean = total / (size * size);
            QString measured = QStringLiteral("%1 px: mean difference %2, %3 pixels far off")
                                   .arg(size)
                                   .arg(mean, 0, 'f', 1)
                                   .arg(far_off);
            QVERIFY2(mean < 15 && far_off <= size * size / 25, qPrintable(measured));
        }
    }
};

QTEST_MAIN(IconTest)
#include "IconTest.moc"
