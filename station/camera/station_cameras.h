#pragma once
// The cameras the station uses: the machine's (the GStreamer device monitor), or the test cameras
// named by the environment variable VANTOR_TEST_CAMERA ("hd", "vga", "range", "odd", "busy", or
// several separated by commas), so the station can be shown on a machine without a camera.
#include <memory>
#include "camera/video_device.h"

namespace vantor::camera {

std::unique_ptr<VideoDeviceProvider> StationVideoDevices();

}  // namespace vantor::camera
