#include "platform/window_message.h"

#include <QCoreApplication>
#include <QObject>

namespace vantor {

WindowMessageEvent::WindowMessageEvent(std::uint32_t message, std::uint64_t wParam, std::uint64_t lParam)
    : QEvent(EventType()), message_(message), wParam_(wParam), lParam_(lParam) {}

QEvent::Type WindowMessageEvent::EventType() {
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

void PostWindowMessage(QObject* target, std::uint32_t message, std::uint64_t wParam, std::uint64_t lParam) {
    if (target == nullptr) {
        return;
    }
    // postEvent takes ownership of the event.
    QCoreApplication::postEvent(target, new WindowMessageEvent(message, wParam, lParam));
}

bool SendWindowMessage(QObject* target, std::uint32_t message, std::uint64_t wParam, std::uint64_t lParam) {
    if (target == nullptr) {
        return false;
    }
    WindowMessageEvent event(message, wParam, lParam);
    return QCoreApplication::sendEvent(target, &event);
}

const WindowMessageEvent* AsWindowMessage(const QEvent* event) {
    if (event == nullptr || event->type() != WindowMessageEvent::EventType()) {
        return nullptr;
    }
    return static_cast<const WindowMessageEvent*>(event);
}

}  // namespace vantor
