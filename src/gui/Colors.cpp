#include "gui/Colors.h"

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

}  // namespace qv
