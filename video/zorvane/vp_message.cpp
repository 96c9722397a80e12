#include <QCoreApplication>
#include <memory>
#include "zorvane_window.h"

VpMessageEvent::VpMessageEvent(std::uint32_t message, std::uint32_t wParam, std::uint32_t lParam)
    : QEvent(EventType()), message_(message), wParam_(wParam), lParam_(lParam) {}

QEvent::Type VpMessageEvent::EventType() {
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

const VpMessageEvent* AsVpMessage(const QEvent* event) {
    if (event == nullptr || event->type() != VpMessageEvent::EventType()) {
        return nullptr;
    }
    return static_cast<const VpMessageEvent*>(event);
}

void PostVpMessage(QObject* target, std::uint32_t message, std::uint32_t wParam, std::uint32_t lParam) {
    if (target == nullptr) {
        return;
    }
    // postEvent takes the event over and deletes it once delivered.
    QCoreApplication::postEvent(target, std::make_unique<VpMessageEvent>(message, wParam, lParam).release());
}
