#include "layout/control_table.h"

#include <QVariant>
#include <QWidget>
#include "layout/dialog_units.h"

namespace vantor {
namespace {
constexpr char kControlIdProperty[] = "vantorControlId";
}

QSize DesignedClientSize(const DialogTemplate& dialog, const DialogScale& scale) {
    return DialogSizeToPixels(dialog.client_dlu, scale);
}

QRect DesignedControlRect(const ControlEntry& control, const DialogScale& scale) {
    return DialogRectToPixels(control.rect_dlu, scale);
}

const ControlEntry* FindControlEntry(const DialogTemplate& dialog, int id) {
    for (const ControlEntry& control : dialog.controls) {
        if (control.id == id) {
            return &control;
        }
    }
    return nullptr;
}

void SetControlId(QWidget* control, int id) {
    if (control != nullptr) {
        control->setProperty(kControlIdProperty, id);
    }
}

int ControlId(const QWidget* control) {
    if (control == nullptr) {
        return 0;
    }
    return control->property(kControlIdProperty).toInt();
}

QWidget* FindControl(const QWidget* window, int id) {
    if (window == nullptr || id == 0) {
        return nullptr;
    }
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (ControlId(child) == id) {
            return child;
        }
    }
    return nullptr;
}

}  // namespace vantor
