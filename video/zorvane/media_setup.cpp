#include "media_setup.h"

#include <gst/gst.h>

namespace zorvane {

Q_LOGGING_CATEGORY(lcVideo, "vantor.video")

void InitialiseMedia() {
    gst_init(nullptr, nullptr);  // guarded by GStreamer itself; later calls return at once
}

}  // namespace zorvane
