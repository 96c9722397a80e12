#include "capture/capture_services.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include "platform/sound.h"
#include "text/qt_text.h"

namespace {

constexpr const char16_t* kSeatSearchTitle = u"引位";

bool AnyVisibleWindowTitled(const tstring& title) {
    const QString wanted = ToQt(title);
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && window->windowTitle() == wanted) {
            return true;
        }
    }
    return false;
}

}  // namespace

CaptureWindowServices WithStationDefaults(CaptureWindowServices services) {
    if (services.clock == nullptr) {
        services.clock = &vantor::SystemLocalClock();
    }
    if (!services.make_camera) {
        services.make_camera = [] { return MakeStationCamera(); };
    }
    if (!services.seat_search_visible) {
        services.seat_search_visible = [] { return AnyVisibleWindowTitled(kSeatSearchTitle); };
    }
    if (!services.play_sound) {
        services.play_sound = [](const tstring& path) { vantor::PlaySoundAsync(path); };
    }
    if (!services.open_microphone) {
        services.open_microphone = &travenor::MakeMicrophone;
    }
    if (services.screen_size.isEmpty()) {
        QScreen* primary = QGuiApplication::primaryScreen();
        services.screen_size = primary ? primary->geometry().size() : QSize(1024, 768);
    }
    if (!services.gallery) {
        services.gallery = vantor::settings::ReadGallerySettings();
    }
    return services;
}
