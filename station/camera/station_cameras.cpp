#include "camera/station_cameras.h"
#include <cstdio>
#include <cstdlib>
#include "camera/monitor_devices.h"
#include "camera/test_cameras.h"

namespace vantor::camera {

std::unique_ptr<VideoDeviceProvider> StationVideoDevices() {
    const char* keys = std::getenv("VANTOR_TEST_CAMERA");
    if (keys != nullptr && *keys != '\0') {
        const DropOutFigures figures = DropOutFiguresFrom(std::getenv("VANTOR_TEST_CAMERA_FRAMES"),
                                                          std::getenv("VANTOR_TEST_CAMERA_AWAY"),
                                                          std::getenv("VANTOR_TEST_CAMERA_DROPS"));
        std::vector<TestCameraDefinition> cameras = TestCameraPresets(keys, figures);
        if (!cameras.empty()) {
            return std::make_unique<TestCameraProvider>(std::move(cameras));
        }
        std::printf("SETUP: VANTOR_TEST_CAMERA=%s names no test camera - using the machine's cameras\n",
                    keys);
        std::fflush(stdout);
    }
    return std::make_unique<MonitorDeviceProvider>();
}

}  // namespace vantor::camera
