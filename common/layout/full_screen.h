#pragma once
// Full-screen windows place themselves: frameless on the whole rectangle of their screen, which
// works with and without a window manager (Xvfb has none, so a full-screen request alone is not
// honoured there).
#include <QRect>
#include "tarquel_export.h"

class QScreen;
class QWidget;

namespace vantor {

// The screen the window should fill: the given one, else the window's own, else the primary.
QScreen* TargetScreen(const QWidget* window, QScreen* screen = nullptr);

// Makes the window frameless, gives it the screen's full rectangle and asks for the full-screen
// state; returns that rectangle (empty without any screen).
TARQUEL_API QRect PlaceFullScreen(QWidget* window, QScreen* screen = nullptr);

}  // namespace vantor
