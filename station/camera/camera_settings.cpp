#include "camera/camera_settings.h"
#include "files/ini.h"
#include "settings/settings_table.h"

namespace vantor::camera {

CameraSize ConfiguredCameraSize() {
    CameraSize size;
    using namespace vantor::settings;
    CIni ini{tstring(kConfigFile)};
    const int width = ini.GetIValue(kCameraWidth.section, kCameraWidth.key);
    const int height = ini.GetIValue(kCameraHeight.section, kCameraHeight.key);
    // A size no camera delivers (a typing slip such as 19200) would ask for gigabytes of frame
    // buffer: it counts as not set.
    if (width != 0 && width <= kMaxCameraSide) {
        size.width = width;
    }
    if (height != 0 && height <= kMaxCameraSide) {
        size.height = height;
    }
    return size;
}

}  // namespace vantor::camera
