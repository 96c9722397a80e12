#pragma once
// The camera's output size as the station is configured: "Bin\config.ini", section "camera",
// keys "width" and "height"; a missing or zero value gives 640 and 480 respectively, and so does
// a value above kMaxCameraSide.

namespace vantor::camera {

struct CameraSize {
    int width = 640;
    int height = 480;
};

// Larger than any camera's side (8K video is 7680 x 4320).
inline constexpr int kMaxCameraSide = 8192;

CameraSize ConfiguredCameraSize();

}  // namespace vantor::camera
