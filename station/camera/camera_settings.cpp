#include "camera/camera_settings.h"
#include "files/ini.h"

namespace vantor::camera {

CameraSize ConfiguredCameraSize() {
    CameraSize size;
    CIni ini(tstring(u"Bin\\config.ini"));
    const int width = ini.GetIValue(tstring(u"camera"), tstring(u"width"));
    const int height = ini.GetIValue(tstring(u"camera"), tstring(u"height"));
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
