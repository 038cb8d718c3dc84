#include "gui/Skin.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace qv::skin {

namespace {

// Two sines a little apart in pitch across `area`: the picture of a binaural beat.
void draw_tones(QPainter& p, const QRectF& area, double cycles, double width, QColor left,
                QColor right) {
    for (int ear = 0; ear < 2; ++ear) {
        double f = cycles * (ear == 0 ? 1.0 : 1.15);
        QPainterPath path;
        const int steps = 200;
        for (int i = 0; i <= steps; ++i) {
            double t = static_cast<double>(i) / steps;
            double y =
                area.center().y() - std::sin(2 * std::numbers::pi * f * t) * area.height() / 2;
            QPointF point(area.left() + t * area.width(), y);
            if (i == 0) {
                path.moveTo(point);
            } else {
                path.lineTo(point);
            }
        }
        p.setPen(QPen(ear == 0 ? left : right, width));
        p.drawPath(path);
    }
}

}  // namespace

QImage background() {
    const int w = kBackgroundWidth, h = kBackgroundHeight;
    QImage image(w, h, QImage::Format_RGB32);
    std::mt19937 rng(20260);
    std::normal_distribution<float> noise(0.0f, 1.0f);

    // Grain: per-row noise smeared along x with a running box filter, so each row carries
    // long streaks of its own; a faint per-pixel speckle keeps it from looking painted.
    const int run = 40;
    std::vector<float> raw(static_cast<std::size_t>(w + run));
    for (int y = 0; y < h; ++y) {
        float row_level = noise(rng) * 4.0f;
        for (float& r : raw) r = noise(rng);
        float sum = 0;
        for (int i = 0; i < run; ++i) sum += raw[static_cast<std::size_t>(i)];
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        float shade = 176.0f - 22.0f * static_cast<float>(y) / static_cast<float>(h);
        for (int x = 0; x < w; ++x) {
            float streak = sum / std::sqrt(static_cast<float>(run)) * 5.0f;
            sum += raw[static_cast<std::size_t>(x + run)] - raw[static_cast<std::size_t>(x)];
            float v = shade + row_level + streak + noise(rng) * 1.5f;
            int g = std::clamp(static_cast<int>(std::lround(v)), 0, 255);
            line[x] = qRgb(g, g, std::min(255, g + 5));
        }
    }
    return image;
}

QImage splash() {
    const int w = kSplashWidth, h = kSplashHeight;
    QImage image(w, h, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, h);
    sky.setColorAt(0, QColor(24, 30, 52));
    sky.setColorAt(1, QColor(6, 8, 18));
    p.fillRect(image.rect(), sky);
    draw_tones(p, QRectF(0, h * 0.58, w, h * 0.3), 3.0, 1.6, QColor(60, 200, 120, 170),
               QColor(230, 200, 60, 170));

    QFont title;
    title.setPixelSize(40);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(236, 240, 250));
    p.drawText(QRect(0, 14, w, 56), Qt::AlignCenter, QStringLiteral("Quorvane"));

    QFont version;
    version.setPixelSize(15);
    p.setFont(version);
    p.setPen(QColor(170, 190, 230));
    p.drawText(QRect(0, 68, w, 22), Qt::AlignCenter, QStringLiteral("0.2 Beta"));

    p.setPen(QPen(QColor(150, 160, 190), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, w - 1, h - 1));
    return image;
}

QIcon window_icon() {
    QIcon icon;
    for (int size : {32, 16}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(24, 30, 52));
        p.drawRoundedRect(QRectF(0, 0, size, size), size / 6.0, size / 6.0);
        double margin = size / 8.0;
        draw_tones(p, QRectF(margin, margin * 2, size - 2 * margin, size - 4 * margin), 1.5,
                   size / 12.0, QColor(60, 220, 120), QColor(240, 210, 60));
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace qv::skin
