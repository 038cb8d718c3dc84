#include "gui/Colors.h"

#include <algorithm>
#include <cmath>

namespace qv {

std::optional<QColor> resolve_color(Color color, const QPalette& palette) {
    switch (color) {
        case kDefaultColor:
            return std::nullopt;
        // Menus are painted in the window colour by Qt's styles.
        case kMenuColor:
            return palette.color(QPalette::Window);
        case kWindowTextColor:
            return palette.color(QPalette::WindowText);
        default:
            return QColor(static_cast<int>(color & 0xff), static_cast<int>((color >> 8) & 0xff),
                          static_cast<int>((color >> 16) & 0xff));
    }
}

double contrast(const QColor& a, const QColor& b) {
    auto luminance = [](const QColor& c) {
        auto linear = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor black_or_white(const QColor& other) {
    return contrast(other, Qt::black) >= contrast(other, Qt::white) ? QColor(Qt::black)
                                                                    : QColor(Qt::white);
}

}  // namespace qv
