#pragma once
// Brings up the photo wall and tells it which folder to show: starts it when it does not run,
// waits for its window "Lumarin", lets the user pick a folder when none was given, then sends the
// folder and the media-mode word as two copy-data messages.
#include <cstdint>
#include <optional>
#include "tarquel_export.h"
#include "text/tstring.h"

namespace vantor {

inline constexpr char16_t kWallWindowTitle[] = u"Lumarin";
inline constexpr char16_t kWallProgramName[] = u"Halvix";
inline constexpr char16_t kMediaModeWord[] = u"MEDIAMODE";
// A plain message to the wall's window: a sign-in was saved, new pictures may be in the folder it
// shows. A wall that does not know the number ignores it.
inline constexpr std::uint32_t kWallNewPictureMessage = 0x8101;
inline constexpr int kWallWindowLooks = 10;
inline constexpr int kWallWindowLookInterval_ms = 300;

// What the launcher does to the system; the real one is DesktopWallPlatform.
class WallLauncherPlatform {
  public:
    virtual ~WallLauncherPlatform() = default;
    virtual bool WallProgramExists() = 0;
    virtual bool WallProgramRuns() = 0;
    virtual void StartWallProgram() = 0;
    virtual void Wait(int delay_ms) = 0;
    virtual bool WallWindowExists() = 0;
    // The folder dialog; nothing when the user cancels. Runs while the dialog-raising helper does.
    virtual std::optional<tstring> BrowseForFolder(const tstring& title) = 0;
    virtual void ShowWallWindowNormal() = 0;
    virtual void SendToWall(std::uint64_t dwData, const tstring& text) = 0;
    virtual void BringWallToForeground() = 0;
    virtual void ShowStartFailure(const tstring& text, const tstring& caption) = 0;
};

// The launcher's sequence over a platform.
void LaunchWall(WallLauncherPlatform& platform, const char16_t* folder);

// The real platform: the program file "Halvix" beside the running program, started detached with
// that folder as its working folder; the wall's window endpoint; Qt's folder dialog with the
// dialog-raising helper; the message-box service.
class DesktopWallPlatform : public WallLauncherPlatform {
  public:
    bool WallProgramExists() override;
    bool WallProgramRuns() override;
    void StartWallProgram() override;
    void Wait(int delay_ms) override;
    bool WallWindowExists() override;
    std::optional<tstring> BrowseForFolder(const tstring& title) override;
    void ShowWallWindowNormal() override;
    void SendToWall(std::uint64_t dwData, const tstring& text) override;
    void BringWallToForeground() override;
    void ShowStartFailure(const tstring& text, const tstring& caption) override;
};

}  // namespace vantor

// The launcher on the real platform. folder may be null or empty: the user then picks one.
TARQUEL_API void ShowPictureBy3D(const char16_t* folder);
