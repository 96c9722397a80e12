#pragma once
// Stretches a control designed for a window's client size to the screen: both edges of the
// control's rectangle (in its window's coordinates) are multiplied by the factor of their
// direction and truncated toward zero.
#include "tarquel_export.h"
class QWidget;

namespace vantor {

TARQUEL_API void ScaleControlRect(QWidget* control, double factorX, double factorY);

}  // namespace vantor

using vantor::ScaleControlRect;
