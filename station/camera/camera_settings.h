#pragma once
// The camera's output size as the station is configured: "Bin\config.ini", section "camera",
// keys "width" and "height"; a missing or zero value gives 640 and 480 respectively.

namespace vantor::camera {

struct CameraSize {
    int width = 640;
    int height = 480;
};

CameraSize ConfiguredCameraSize();

}  // namespace vantor::camera
