#pragma once
// What a window is to the video library on this platform, in one place.
//
// A window handle is the host's widget. The picture is drawn into the widget's native X window
// through GStreamer's video overlay; the widget's parent receives the library's notifications as
// posted events of the library's own (VpMessageEvent), each carrying a window message number and
// its two parameters.
#include <QEvent>
#include <cstdint>
#include "zorvane_export.h"

class QObject;
class QWidget;

using VPWINDOW = QWidget*;

// A message of the library to the host's window.
class VpMessageEvent : public QEvent {
  public:
    VpMessageEvent(std::uint32_t message, std::uint32_t wParam, std::uint32_t lParam);

    // The event type of every message of the library.
    static QEvent::Type EventType();

    std::uint32_t Message() const { return message_; }
    std::uint32_t WParam() const { return wParam_; }
    std::uint32_t LParam() const { return lParam_; }

  private:
    std::uint32_t message_;
    std::uint32_t wParam_;
    std::uint32_t lParam_;
};

// The library's message an event carries, or null for any other event.
ZORVANE_EXPORT const VpMessageEvent* AsVpMessage(const QEvent* event);
// Queues the message for the target (ignored for a null target); the target's thread delivers it.
void PostVpMessage(QObject* target, std::uint32_t message, std::uint32_t wParam = 0,
                   std::uint32_t lParam = 0);

// Posted to the parent of the attached window: events are waiting; answer with vpHandleGraphEvent.
inline constexpr std::uint32_t kVpGraphNotifyMessage = 0x8000 + 1;  // 32769
// Posted to the parent of the attached window, both parameters 0: the file has played to its end.
inline constexpr std::uint32_t kVpEndOfMediaMessage = 0x0400 + 9527;  // 10551

// Window messages that vpNotifyOwnerMessage understands.
inline constexpr std::uint32_t kVpShowWindowMessage = 0x0018;  // wParam: show (non-zero) or hide
inline constexpr std::uint32_t kVpPaintMessage = 0x000F;
inline constexpr std::uint32_t kVpSizeMessage = 0x0005;
inline constexpr std::uint32_t kVpDisplayChangeMessage = 0x007E;
