#pragma once
// What a window is to the video library on this platform, in one place.
//
// A window handle is the host's widget. The picture is drawn into the widget's native X window
// through GStreamer's video overlay; the widget's parent receives the library's notifications as
// posted window messages (vantor::PostWindowMessage), the same messages the programs post each
// other's windows.
#include <cstdint>

class QWidget;

using VPWINDOW = QWidget*;

// Posted to the parent of the attached window: events are waiting; answer with vpHandleGraphEvent.
inline constexpr std::uint32_t kVpGraphNotifyMessage = 0x8000 + 1;  // 32769
// Posted to the parent of the attached window, both parameters 0: the file has played to its end.
inline constexpr std::uint32_t kVpEndOfMediaMessage = 0x0400 + 9527;  // 10551

// Window messages that vpNotifyOwnerMessage understands.
inline constexpr std::uint32_t kVpShowWindowMessage = 0x0018;  // wParam: show (non-zero) or hide
inline constexpr std::uint32_t kVpPaintMessage = 0x000F;
inline constexpr std::uint32_t kVpSizeMessage = 0x0005;
inline constexpr std::uint32_t kVpDisplayChangeMessage = 0x007E;
