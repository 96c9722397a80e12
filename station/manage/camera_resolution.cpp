#include "manage/camera_resolution.h"

#include "files/ini.h"
#include "settings/settings_table.h"

namespace travenor {

int ResolutionIndexForWidth(int width) {
    // The first entry is also what any width the list does not know shows.
    for (int index = 1; index < static_cast<int>(kCameraResolutions.size()); ++index) {
        if (kCameraResolutions[index].width == width) {
            return index;
        }
    }
    return 0;
}

bool WriteCameraResolution(CIni& config, int index) {
    if (index < 0 || index >= static_cast<int>(kCameraResolutions.size())) {
        return false;
    }
    using namespace vantor::settings;
    const CameraResolution& chosen = kCameraResolutions[index];
    const bool width = config.WriteValue(kCameraWidth.section, kCameraWidth.key, chosen.width) != 0;
    const bool height = config.WriteValue(kCameraHeight.section, kCameraHeight.key, chosen.height) != 0;
    return width && height;
}

}  // namespace travenor
