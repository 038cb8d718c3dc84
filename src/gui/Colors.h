#pragma once

#include <QColor>
#include <QPalette>
#include <optional>

#include "controls/Control.h"

namespace qv {

// A colour of the form (red + green * 256 + blue * 65536, or a system colour resolved
// from the palette); nothing for kDefaultColor, which leaves the widget's own colour.
std::optional<QColor> resolve_color(Color color, const QPalette& palette);

}  // namespace qv
