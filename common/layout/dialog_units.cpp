#include "layout/dialog_units.h"

#include <algorithm>
#include <cmath>

namespace vantor {
int DialogScale::LinePixels() const {
    return static_cast<int>(std::lround(y * 8));
}

DialogScale TouchDialogScale(const QSize& design, const QSize& room) {
    const double aspect = kClassicDialogScale.x / kClassicDialogScale.y;
    double y = kTouchPixelsPerUnitY;
    if (design.height() > 0 && room.height() > 0) {
        y = std::min(y, static_cast<double>(room.height()) / design.height());
    }
    if (design.width() > 0 && room.width() > 0) {
        y = std::min(y, static_cast<double>(room.width()) / (design.width() * aspect));
    }
    // Never below the classic base: a tiny screen gets the designed window, not a smaller one.
    y = std::max(y, kClassicDialogScale.y);
    return DialogScale{y * aspect, y};
}

int DialogUnitsToPixelsX(int units, const DialogScale& scale) {
    return static_cast<int>(std::lround(units * scale.x));
}

int DialogUnitsToPixelsY(int units, const DialogScale& scale) {
    return static_cast<int>(std::lround(units * scale.y));
}

QRect DialogRectToPixels(const QRect& units, const DialogScale& scale) {
    const int left = DialogUnitsToPixelsX(units.x(), scale);
    const int top = DialogUnitsToPixelsY(units.y(), scale);
    const int right = DialogUnitsToPixelsX(units.x() + units.width(), scale);
    const int bottom = DialogUnitsToPixelsY(units.y() + units.height(), scale);
    return QRect(left, top, right - left, bottom - top);
}

QSize DialogSizeToPixels(const QSize& units, const DialogScale& scale) {
    return QSize(DialogUnitsToPixelsX(units.width(), scale), DialogUnitsToPixelsY(units.height(), scale));
}

}  // namespace vantor
