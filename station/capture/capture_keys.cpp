#include "capture/capture_keys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

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

CaptureKeyFilter::CaptureKeyFilter(QWidget& window, std::function<bool()> seat_search_visible,
                                   std::function<void(CaptureKeyAction)> act)
    : window_(window), seat_search_visible_(std::move(seat_search_visible)), act_(std::move(act)) {
    qApp->installEventFilter(this);
}

CaptureKeyFilter::~CaptureKeyFilter() {
    qApp->removeEventFilter(this);
}

bool CaptureKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* target = qobject_cast<QWidget*>(watched);
        if (target && (target == &window_ || window_.isAncestorOf(target))) {
            const CaptureKeyAction action =
                CaptureKeyActionFor(static_cast<QKeyEvent*>(event)->key(), seat_search_visible_);
            if (action == CaptureKeyAction::Pass) {
                return false;
            }
            act_(action);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
