#include "controls/auto_ctrl_size.h"

#include <QWidget>
#include <algorithm>
#include "layout/control_table.h"

void CAutoCtrlSize::AS_InitData(AS_CTRLDATA* table, int count, QWidget* dialog) {
    table_ = table;
    count_ = count;
    if (dialog == nullptr) {
        return;
    }
    dialog_ = dialog;
    lastWidth_ = dialog->width();
    lastHeight_ = dialog->height();
    // A Qt window is resizable unless fixed; its minimum size is given for its client area.
    minTrackWidth_ = lastWidth_;
    minTrackHeight_ = lastHeight_;
    for (int i = 0; table_ != nullptr && i < count_; ++i) {
        AS_CTRLDATA& entry = table_[i];
        if (entry.keepMinimum == 0) {
            continue;
        }
        if (const QWidget* control = vantor::FindControl(dialog, entry.ctrlId)) {
            entry.minWidth = control->width();
            entry.minHeight = control->height();
        }
    }
}

void CAutoCtrlSize::AS_OnSize(int sizeType, int cx, int cy) {
    if (table_ == nullptr || count_ <= 0 || dialog_ == nullptr) {
        return;
    }
    if ((cx == lastWidth_ && cy == lastHeight_) || sizeType == AS_SIZE_MINIMIZED) {
        return;
    }
    const int dx = cx - lastWidth_;
    const int dy = cy - lastHeight_;
    for (int i = 0; i < count_; ++i) {
        Arrange(table_[i], dx, dy, cx, cy);
    }
    lastWidth_ = cx;
    lastHeight_ = cy;
    dialog_->update();
}

void CAutoCtrlSize::Arrange(const AS_CTRLDATA& entry, int dx, int dy, int cx, int cy) {
    QWidget* control = vantor::FindControl(dialog_, entry.ctrlId);
    const int p = entry.percent;
    if (control == nullptr || p < 0 || p > 100) {
        return;
    }
    const QRect rect(control->mapTo(dialog_, QPoint(0, 0)), control->size());
    const int l = rect.left();
    const int t = rect.top();
    const int bx = p * dx / 100;
    const int hx = p * dx / 200;
    const int by = p * dy / 100;
    const int hy = p * dy / 200;

    int x = l;
    int y = t;
    if (entry.flags & AS_MOVE_X) {
        x += entry.mode == 0 ? bx : hx;
    }
    if (entry.flags & AS_MOVE_Y) {
        y = t + (entry.mode == 0 ? by : hy);
    }
    if (entry.flags & AS_MOVE_BOTH) {
        x += entry.mode == 1 ? hx : bx;
        y += entry.mode == 2 ? hy : by;
    }
    int w = rect.width() + ((entry.flags & AS_GROW_X) ? bx : 0) + ((entry.flags & AS_GROW_BOTH) ? bx : 0);
    int h = rect.height() + ((entry.flags & AS_GROW_Y) ? by : 0) + ((entry.flags & AS_GROW_BOTH) ? by : 0);
    if (entry.keepMinimum != 0) {
        w = std::max(w, static_cast<int>(entry.minWidth));
        h = std::max(h, static_cast<int>(entry.minHeight));
    }
    w = std::max(w, 0);
    h = std::max(h, 0);
    // A control that would reach past the window's edge ends 5 pixels before it.
    if (x + w > cx) {
        w = std::max(cx - x - 5, 0);
    }
    if (y + h > cy) {
        h = std::max(cy - y - 5, 0);
    }
    const QPoint topLeft = control->parentWidget() == dialog_
                               ? QPoint(x, y)
                               : control->parentWidget()->mapFrom(dialog_, QPoint(x, y));
    control->setGeometry(topLeft.x(), topLeft.y(), w, h);
    control->update();
}

void CAutoCtrlSize::AS_FixSize(QSize* minTrackSize) {
    if (minTrackWidth_ <= 0 || minTrackHeight_ <= 0) {
        return;
    }
    if (minTrackSize != nullptr) {
        *minTrackSize = MinimumTrackSize();
    }
    if (dialog_ != nullptr) {
        dialog_->setMinimumSize(MinimumTrackSize());
    }
}
