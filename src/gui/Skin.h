#pragma once

#include <QIcon>
#include <QImage>

// The window's pictures, drawn in code: the brushed-metal background, the splash picture
// and the window icon.
namespace qv::skin {

inline constexpr int kBackgroundWidth = 630;
inline constexpr int kBackgroundHeight = 571;
inline constexpr int kSplashWidth = 279;
inline constexpr int kSplashHeight = 170;

// Grey brushed metal with horizontal grain; the same picture on every start.
QImage background();
// The title "Quorvane" with "0.2 Beta" over two tones drifting against each other.
QImage splash();
// The same motif at 32 and 16 pixels.
QIcon window_icon();

}  // namespace qv::skin
