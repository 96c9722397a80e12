#include "capture/capture_animations.h"

CaptureAnimations::CaptureAnimations(QWidget& window, const QRect& list_area, QWidget& preview)
    : idle_(std::make_unique<CGifImage>(true)), save_(std::make_unique<CGifImage>(false)) {
    // Beneath every control, so it shows where the list is hidden and never covers the welcome
    // text above the list.
    if (idle_->Load(kIdleAnimation) &&
        idle_->Create(&window, list_area.x(), list_area.y(), list_area.width(), list_area.height())) {
        idle_->lower();
    } else {
        idle_.reset();
    }
    const QRect over = preview.geometry();
    if (save_->Load(kSaveAnimation) &&
        save_->Create(&window, over.x(), over.y(), over.width(), over.height())) {
        save_->stackUnder(&preview);
        save_->hide();
    } else {
        save_.reset();
    }
}
