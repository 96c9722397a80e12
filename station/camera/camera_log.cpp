#include "camera/camera_log.h"

Q_LOGGING_CATEGORY(lcCamera, "vantor.camera")
