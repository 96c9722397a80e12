#include "camera/camera_settings.h"
#include "files/ini.h"

namespace vantor::camera {

CameraSize ConfiguredCameraSize() {
    CameraSize size;
    CIni ini(tstring(u"Bin\\config.ini"));
    const int width = ini.GetIValue(tstring(u"camera"), tstring(u"width"));
    const int height = ini.GetIValue(tstring(u"camera"), tstring(u"height"));
    if (width != 0) {
        size.width = width;
    }
    if (height != 0) {
        size.height = height;
    }
    return size;
}

}  // namespace vantor::camera
