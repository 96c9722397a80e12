#pragma once
// Windows are designed in dialog units. A dialog scale turns them into pixels: horizontally a
// quarter of the base font's average character width, vertically an eighth of its line height.
// The classic 8-point dialog font gives 1.5 and 1.625 pixels; the form windows (management, seat
// search, keyboard) use a touch base font with a 32-pixel line, as far as the screen holds it.
#include <QRect>
#include <QSize>
#include "platform/form_skin.h"
#include "tarquel_export.h"

namespace vantor {

struct TARQUEL_API DialogScale {
    double x = 1.5;    // pixels per horizontal dialog unit
    double y = 1.625;  // pixels per vertical dialog unit

    // The line height of the base font this scale is measured on: eight vertical units (the
    // classic font's 13 pixels). A window's text is set in the largest font whose line fits.
    int LinePixels() const;
};

inline constexpr DialogScale kClassicDialogScale{};

// The touch base font: a 32-pixel line, so that a drop-down list of 12 units is 48 pixels high.
inline constexpr double kTouchPixelsPerUnitY = kTouchLinePixels / 8.0;

// The scale of a window designed as `design` dialog units, on the touch base font, made smaller
// only as far as needed for the window to fit `room` pixels. The proportions of the design stay:
// both directions shrink by the same factor.
TARQUEL_API DialogScale TouchDialogScale(const QSize& design, const QSize& room);

// Horizontal and vertical positions in pixels, rounded to the nearest pixel.
int DialogUnitsToPixelsX(int units, const DialogScale& scale = kClassicDialogScale);
int DialogUnitsToPixelsY(int units, const DialogScale& scale = kClassicDialogScale);

// A rectangle given as x, y, width, height in dialog units; both edges are converted, so
// neighbouring controls stay neighbours.
TARQUEL_API QRect DialogRectToPixels(const QRect& units, const DialogScale& scale = kClassicDialogScale);

// The designed client size of a window.
QSize DialogSizeToPixels(const QSize& units, const DialogScale& scale = kClassicDialogScale);

}  // namespace vantor
