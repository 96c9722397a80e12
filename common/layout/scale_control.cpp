#include "layout/scale_control.h"

#include <QWidget>

namespace vantor {

void ScaleControlRect(QWidget* control, double factorX, double factorY) {
    if (control == nullptr) {
        return;
    }
    const QRect rect = control->geometry();
    // Truncation toward zero, as a cast does; the right and bottom edges are exclusive.
    const int left = static_cast<int>(rect.left() * factorX);
    const int top = static_cast<int>(rect.top() * factorY);
    const int right = static_cast<int>((rect.left() + rect.width()) * factorX);
    const int bottom = static_cast<int>((rect.top() + rect.height()) * factorY);
    control->setGeometry(left, top, right - left, bottom - top);
    control->update();
}

}  // namespace vantor
