#include "app/wall_platform.h"

#include <QByteArray>
#include <QLoggingCategory>

namespace halvix {
namespace {

Q_LOGGING_CATEGORY(lcPlatform, "vantor.wall.platform")

}  // namespace

std::string WallPlatform(const PlatformEnvironment& environment) {
    const bool wayland_named = environment.requested.starts_with("wayland");
    const bool wayland_session = environment.requested.empty() && (!environment.wayland_display.empty() ||
                                                                   environment.session_type == "wayland");
    if ((wayland_named || wayland_session) && !environment.x_display.empty()) {
        return "xcb";
    }
    return {};
}

void ChooseWallPlatform() {
    const QByteArray requested = qgetenv("QT_QPA_PLATFORM");
    const QByteArray x_display = qgetenv("DISPLAY");
    const QByteArray wayland_display = qgetenv("WAYLAND_DISPLAY");
    const QByteArray session_type = qgetenv("XDG_SESSION_TYPE");
    const std::string chosen = WallPlatform({requested.toStdString(), x_display.toStdString(),
                                             wayland_display.toStdString(), session_type.toStdString()});
    if (!chosen.empty()) {
        qCInfo(lcPlatform, "Wayland session: the wall runs on %s through the X display %s", chosen.c_str(),
               x_display.constData());
        qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(chosen));
    }
}

}  // namespace halvix
