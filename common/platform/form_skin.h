#pragma once
// The wedding skin of the form windows: the management dialog, the seat search and its keyboard,
// the camera choice, the message boxes and the file dialog, and the lists laid on the lottery's
// strip. The picture windows (menu, capture, lottery, wall) paint their skin from bitmaps; the
// form windows take the same colours from one style sheet, which the program sets on its
// application once. A window or control joins the skin by being marked.
#include <QColor>
#include <QFont>
#include <QSize>
#include "tarquel_export.h"

class QApplication;
class QWidget;

namespace vantor {

// The skin's colours, taken from the main menu: its deep red ground, the gold of its borders and
// its ivory buttons with dark red writing.
struct SkinColours {
    static inline const QColor kGroundTop{0xa0, 0x23, 0x38};
    static inline const QColor kGroundBottom{0x6e, 0x11, 0x24};
    static inline const QColor kGold{0xd4, 0xa6, 0x4a};
    static inline const QColor kIvory{0xff, 0xf8, 0xec};
    static inline const QColor kInk{0x8b, 0x1a, 0x2b};
    static inline const QColor kCaption{0xf8, 0xe2, 0xb0};
};

// The smallest text a guest must read from a step away, and the line of the touch base font, on
// which the form windows are laid out.
inline constexpr int kSmallestReadablePixels = 18;
inline constexpr int kTouchLinePixels = 32;

// Sets the skin's style sheet on the application (both programs do this at start).
TARQUEL_API void ApplyFormSkin(QApplication& application);

// A whole window in the skin, its text in the form font whose line fits `line_pixels`.
TARQUEL_API void MarkFormWindow(QWidget& window, int line_pixels = kTouchLinePixels);
// A single control on a picture window (the lottery's lists) in the skin.
TARQUEL_API void MarkFormControl(QWidget& control);

// The font of the form windows at a pixel size.
QFont FormFont(int pixels);
// The largest form font whose line fits `line_pixels`, never below the smallest readable size.
QFont FormFontForLine(int line_pixels);
// The largest pixel size, down to `smallest`, at which the font's line fits `line_pixels`.
int LargestPixelsForLine(QFont font, int line_pixels, int smallest);

// The room a form window may take on the screen of `near` (the primary screen without one): the
// available area less an allowance for the window's frame.
TARQUEL_API QSize FormRoom(const QWidget* near);

}  // namespace vantor
