#include "layout/dialog_units.h"

#include <cmath>

namespace vantor {

int DialogUnitsToPixelsX(int units) {
    return static_cast<int>(std::lround(units * kPixelsPerDialogUnitX));
}

int DialogUnitsToPixelsY(int units) {
    return static_cast<int>(std::lround(units * kPixelsPerDialogUnitY));
}

QRect DialogRectToPixels(const QRect& units) {
    const int left = DialogUnitsToPixelsX(units.x());
    const int top = DialogUnitsToPixelsY(units.y());
    const int right = DialogUnitsToPixelsX(units.x() + units.width());
    const int bottom = DialogUnitsToPixelsY(units.y() + units.height());
    return QRect(left, top, right - left, bottom - top);
}

QSize DialogSizeToPixels(const QSize& units) {
    return QSize(DialogUnitsToPixelsX(units.width()), DialogUnitsToPixelsY(units.height()));
}

}  // namespace vantor
