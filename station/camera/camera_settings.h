#pragma once
// The camera's output size as the station is configured: "Bin\config.ini", section "camera",
// keys "width" and "height"; a missing or zero value gives 640 and 480 respectively, and so does
// a value above kMaxCameraSide.
#include "settings/settings_table.h"

namespace vantor::camera {

struct CameraSize {
    int width = settings::kCameraWidth.fallback;
    int height = settings::kCameraHeight.fallback;
};

// Larger than any camera's side (8K video is 7680 x 4320).
inline constexpr int kMaxCameraSide = 8192;

CameraSize ConfiguredCameraSize();

}  // namespace vantor::camera
