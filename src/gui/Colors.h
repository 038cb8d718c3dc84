#pragma once

#include <QColor>
#include <QPalette>
#include <optional>

#include "controls/Control.h"

namespace qv {

// A colour of the form (red + green * 256 + blue * 65536, or a system colour resolved
// from the palette); nothing for kDefaultColor, which leaves the widget's own colour.
std::optional<QColor> resolve_color(Color color, const QPalette& palette);

// How well two colours stand apart, as accessibility guidelines measure it: from 1 (the
// same) to 21 (black on white). Text wants at least 3.
double contrast(const QColor& a, const QColor& b);
// Black or white, whichever stands apart from `other` more.
QColor black_or_white(const QColor& other);

// The brushed metal under the labels and frames, at its middle shade.
inline constexpr QRgb kSkinShade = qRgb(165, 165, 170);

}  // namespace qv
