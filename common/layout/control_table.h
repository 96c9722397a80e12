#pragma once
// A window's controls as data beside its class: id, kind, caption and rectangle in dialog units,
// the way the window was designed. Controls carry their id, so code finds them by number.
#include <QRect>
#include <QSize>
#include <span>
#include "layout/dialog_units.h"
#include "tarquel_export.h"

class QWidget;

namespace vantor {

enum class ControlKind { PushButton, Label, Slider, ListView, Edit, Frame, DropDownList, GroupBox };

struct ControlEntry {
    int id;
    ControlKind kind;
    const char16_t* caption;
    QRect rect_dlu;  // x, y, width, height in dialog units
};

struct DialogTemplate {
    int id;
    QSize client_dlu;  // designed client size in dialog units
    std::span<const ControlEntry> controls;
};

// The designed client size and a control's rectangle in pixels, in the classic scale unless
// another is given.
TARQUEL_API QSize DesignedClientSize(const DialogTemplate& dialog,
                                     const DialogScale& scale = kClassicDialogScale);
TARQUEL_API QRect DesignedControlRect(const ControlEntry& control,
                                      const DialogScale& scale = kClassicDialogScale);

// The control of the table with that id, or null.
TARQUEL_API const ControlEntry* FindControlEntry(const DialogTemplate& dialog, int id);

// Marks a widget as control `id` of its window, and finds it again below a window.
TARQUEL_API void SetControlId(QWidget* control, int id);
int ControlId(const QWidget* control);  // 0 when the widget has none
TARQUEL_API QWidget* FindControl(const QWidget* window, int id);

}  // namespace vantor
