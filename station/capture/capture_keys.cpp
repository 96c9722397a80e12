#include "capture/capture_keys.h"

#include <Qt>

CaptureKeyAction CaptureKeyActionFor(int key, const std::function<bool()>& seat_search_visible) {
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            return CaptureKeyAction::Swallow;
        case Qt::Key_F9:
            return CaptureKeyAction::Record;
        case Qt::Key_Space:
        case Qt::Key_Backspace:
        case Qt::Key_R:
            if (seat_search_visible()) {
                return CaptureKeyAction::Pass;
            }
            return key == Qt::Key_Space       ? CaptureKeyAction::PhotoOrSave
                   : key == Qt::Key_Backspace ? CaptureKeyAction::Rewrite
                                              : CaptureKeyAction::OpenMenu;
        default:
            return CaptureKeyAction::Pass;
    }
}
