#pragma once
// Windows are designed in dialog units. One fixed base converts them to pixels everywhere: the
// classic 8-point dialog font, 1.5 pixels per horizontal and 1.625 pixels per vertical unit.
#include <QRect>
#include <QSize>

namespace vantor {

inline constexpr double kPixelsPerDialogUnitX = 1.5;
inline constexpr double kPixelsPerDialogUnitY = 1.625;

// Horizontal and vertical positions in pixels, rounded to the nearest pixel.
int DialogUnitsToPixelsX(int units);
int DialogUnitsToPixelsY(int units);

// A rectangle given as x, y, width, height in dialog units; both edges are converted, so
// neighbouring controls stay neighbours.
QRect DialogRectToPixels(const QRect& units);

// The designed client size of a window.
QSize DialogSizeToPixels(const QSize& units);

}  // namespace vantor
