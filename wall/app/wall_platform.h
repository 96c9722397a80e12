#pragma once
// The Qt platform the wall runs on. Its 3D engine draws through GLX into an X window, so the wall
// needs Qt's xcb platform; on a Wayland desktop (Debian's default session) it runs through the
// desktop's X server for X programs, XWayland.
#include <string>
#include <string_view>

namespace halvix {

struct PlatformEnvironment {
    std::string_view requested;        // QT_QPA_PLATFORM
    std::string_view x_display;        // DISPLAY
    std::string_view wayland_display;  // WAYLAND_DISPLAY
    std::string_view session_type;     // XDG_SESSION_TYPE
};

// "xcb" when the session would give the wall Wayland and an X display is there; empty to leave
// Qt's choice alone (an X session, a platform named on purpose such as "offscreen", or no X
// display at all, where the wall then says it finds no 3D support).
std::string WallPlatform(const PlatformEnvironment& environment);

// Applies WallPlatform to this process's environment; called before the application object exists.
void ChooseWallPlatform();

}  // namespace halvix
