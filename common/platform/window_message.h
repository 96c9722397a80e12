#pragma once
// Window messages inside one program: a window sends another a numbered message with two
// parameters (a label's WM_USER+3 to its parent, a command from a drop-down menu, the video
// library's notifications). Here a message is a Qt event of one registered type, delivered to the
// target object; receivers pick it out of their event() with AsWindowMessage.
#include <QEvent>
#include <cstdint>
#include "tarquel_export.h"

class QObject;

namespace vantor {

inline constexpr std::uint32_t kWmCommand = 0x0111;  // a command: wParam is the command id
inline constexpr std::uint32_t kWmUser = 0x0400;     // first private message number

class WindowMessageEvent : public QEvent {
  public:
    WindowMessageEvent(std::uint32_t message, std::uint64_t wParam, std::uint64_t lParam);

    // The event type shared by every window message of the process.
    static QEvent::Type EventType();

    std::uint32_t Message() const { return message_; }
    std::uint64_t WParam() const { return wParam_; }
    std::uint64_t LParam() const { return lParam_; }

  private:
    std::uint32_t message_;
    std::uint64_t wParam_;
    std::uint64_t lParam_;
};

// Queues the message for the target; it is delivered by the target thread's event loop.
// A null target is ignored.
void PostWindowMessage(QObject* target, std::uint32_t message, std::uint64_t wParam = 0,
                       std::uint64_t lParam = 0);

// Delivers the message to the target at once and returns whether the target accepted it.
TARQUEL_API bool SendWindowMessage(QObject* target, std::uint32_t message, std::uint64_t wParam = 0,
                                   std::uint64_t lParam = 0);

// The window message carried by an event, or null for any other event.
TARQUEL_API const WindowMessageEvent* AsWindowMessage(const QEvent* event);

}  // namespace vantor
