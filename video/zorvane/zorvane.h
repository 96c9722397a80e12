#pragma once
// Zorvane: plays one media file at a time inside a window of the host program, behind a flat
// family of vp functions with C linkage. There is one player per process and no handle: loading a
// file discards the player of the file before.
//
// The functions are not thread-safe: the host calls them one at a time. vpQuit may run on a worker
// thread while the host calls nothing else; vpIsFileCanBeDecoded may run on any thread.
//
// Times are whole seconds (truncated toward zero); volumes are attenuations in hundredths of a
// decibel, 0 full, -10000 silent. Paths and texts are UTF-16 (paths may use backslashes).
#include <cstdint>
#include <string>
#include "zorvane_export.h"
#include "zorvane_window.h"

// The library is built with every symbol hidden; these functions are its interface.
#define ZORVANE_API extern "C" ZORVANE_EXPORT

enum VPPLAYSTATE : std::int32_t {
    VPPS_PLAYING = 0,  // a player exists and was told to run (also after its file has ended)
    VPPS_IDLE = 1,     // a player exists and is paused or stopped
    VPPS_NOMEDIA = 2,  // no player
};

// Statuses of vpHandleGraphEvent and vpNotifyOwnerMessage.
inline constexpr std::int32_t kVpOk = 0;
inline constexpr std::int32_t kVpNoVideoWindow = 1;
inline constexpr std::int32_t kVpNoEventWaiting = static_cast<std::int32_t>(0x80004004u);

ZORVANE_API void vpInitialize();
ZORVANE_API void vpAttach(VPWINDOW window);
ZORVANE_API void vpLoad(const char16_t* path);
ZORVANE_API void vpPlay();
ZORVANE_API void vpPause();
ZORVANE_API void vpStop();
ZORVANE_API std::int32_t vpHandleGraphEvent();
ZORVANE_API std::int32_t vpNotifyOwnerMessage(VPWINDOW window, std::uint32_t message, std::uint32_t wParam,
                                              std::uint32_t lParam);
ZORVANE_API std::int32_t vpGetTotalTime();
ZORVANE_API std::int32_t vpGetCurrentPosition();
ZORVANE_API void vpSetCurrentPosition(std::int32_t seconds);
ZORVANE_API void vpSeekToBegin();
ZORVANE_API void vpSeekToEnd();
ZORVANE_API std::int32_t vpGetVolume();
ZORVANE_API void vpSetVolume(std::int32_t volume);
ZORVANE_API void vpPutFullMode(bool full);
ZORVANE_API void vpAdjustToWindow();
ZORVANE_API void vpQuit();
ZORVANE_API VPPLAYSTATE vpGetPlayState();
// The platform's "classic video format" test becomes: the file's first video stream decodes here to
// raw pictures of a known width and height (a still picture does not count). There is no extended
// header to tell apart, so every decodable video passes. Usable on any thread after vpInitialize.
ZORVANE_API bool vpIsFileCanBeDecoded(const char16_t* path);
ZORVANE_API std::u16string vpSecondToLoalTime(std::int32_t seconds);
