#pragma once
// The cameras the station uses: the machine's (the GStreamer device monitor), or the test cameras
// named by the environment variable VANTOR_TEST_CAMERA ("hd", "vga", "range", "odd", "busy",
// "drop", "unplug", or several separated by commas), so the station can be shown on a machine
// without a camera. The cameras that drop out take their figures from VANTOR_TEST_CAMERA_FRAMES
// (frames before the drop-out), VANTOR_TEST_CAMERA_AWAY (milliseconds missing from the device
// list) and VANTOR_TEST_CAMERA_DROPS (openings that drop out, 0 for all).
#include <memory>
#include "camera/video_device.h"

namespace vantor::camera {

std::unique_ptr<VideoDeviceProvider> StationVideoDevices();

}  // namespace vantor::camera
