#include "animation/wall_mouse.h"

#include "engine/irr_engine.h"
#include <filesystem>
#include <mutex>
#include "animation/camera_animator.h"
#include "animation/voice_path.h"
#include "text/narrow_text.h"
#include "platform/native_path.h"
#include "scene/wall_manager.h"

namespace halvix {
namespace {

tstring WithoutLastExtension(const tstring& path) {
    const int dot = path.ReFind(u'.');
    const int separator = path.ReFind(u'\\');
    return dot > separator ? path.Left(dot) : path;
}

}  // namespace

WallMouse::WallMouse(WallMouseSetup setup) : setup_(std::move(setup)) {}

void WallMouse::ForwardPress(int x, int y) {
    setup_.animator->OnEvent(LeftPressEvent(x, y));
}

void WallMouse::LeftDown(QPoint point) {
    if (setup_.animator == nullptr) {
        return;
    }
    WallVideo* video = setup_.video;
    if (video != nullptr && video->IsShown()) {
        if (video->VideoRectContains(point)) {
            return;
        }
        const std::int64_t now = setup_.clock_ms ? setup_.clock_ms() : 0;
        if (now - last_click_ms_ < kLeaveVideoByClick_ms) {
            return;
        }
        last_click_ms_ = now;
        video->Stop();
        video->ShowEngineWindow();
        ForwardPress(point.x(), kOffWallY);
        return;
    }

    if (setup_.animator->ClickKind(point.x(), point.y()) == 2) {
        if (video == nullptr) {
            return;
        }
        tstring name;
        {
            std::lock_guard guard(setup_.lock);
            if (irr::scene::ISceneNode* selected = setup_.animator->Selected()) {
                name = tstring(vantor::FileNameToWide(selected->getName()));
            }
        }
        const tstring folder = setup_.current_folder ? setup_.current_folder() : tstring();
        const tstring path = folder + u"\\" + name;
        tstring upper = path;
        upper.MakeUpper();
        if (!name.IsEmpty() && video->IsThumbnail(upper) && !video->IsStopping()) {
            video->Start(WithoutLastExtension(path));
            last_click_ms_ = setup_.clock_ms ? setup_.clock_ms() : 0;
        }
        return;
    }
    ForwardPress(point.x(), point.y());
    PlaySelectedVoice();
}

void WallMouse::LeftUp() {
    if (setup_.animator == nullptr) {
        return;
    }
    std::lock_guard guard(setup_.lock);
    setup_.animator->StopDragging();
}

void WallMouse::ReturnToWall() {
    if (setup_.animator == nullptr) {
        return;
    }
    {
        std::lock_guard guard(setup_.lock);
        if (setup_.animator->Selected() == nullptr) {
            return;
        }
    }
    WallVideo* video = setup_.video;
    if (video != nullptr && video->IsShown()) {
        const std::int64_t now = setup_.clock_ms ? setup_.clock_ms() : 0;
        if (now - last_click_ms_ < kLeaveVideoByCommand_ms) {
            return;
        }
        last_click_ms_ = now;
        video->Stop();
        video->ShowEngineWindow();
    }
    ForwardPress(setup_.screen_width ? setup_.screen_width() / 2 : 0, kOffWallY);
    std::lock_guard guard(setup_.lock);
    setup_.animator->StopDragging();
}

void WallMouse::PlaySelectedVoice() {
    tstring name;
    {
        std::lock_guard guard(setup_.lock);
        irr::scene::ISceneNode* selected = setup_.animator != nullptr ? setup_.animator->Selected() : nullptr;
        if (selected == nullptr) {
            return;
        }
        name = tstring(vantor::FileNameToWide(selected->getName()));
    }
    const tstring folder = setup_.current_folder ? setup_.current_folder() : tstring();
    const tstring voice = VoicePath(folder, name);
    std::error_code error;
    if (voice.IsEmpty() || !std::filesystem::exists(vantor::ToNativePath(voice), error)) {
        return;  // no voice message: silence
    }
    if (setup_.play_sound) {
        setup_.play_sound(voice);
    }
}

}  // namespace halvix
