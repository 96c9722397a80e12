#include "media_setup.h"

namespace zorvane {

Q_LOGGING_CATEGORY(lcVideo, "vantor.video")

void InitialiseMedia() {
    gst_init(nullptr, nullptr);  // guarded by GStreamer itself; later calls return at once
}

std::string FileUri(const std::string& native_path) {
    GError* error = nullptr;
    gchar* uri = gst_filename_to_uri(native_path.c_str(), &error);
    g_clear_error(&error);
    std::string text = uri != nullptr ? uri : "";
    g_free(uri);
    return text;
}

bool WaitForCue(GstElement* pipeline, GstClockTime timeout_ns) {
    const GstStateChangeReturn result = gst_element_get_state(pipeline, nullptr, nullptr, timeout_ns);
    return result == GST_STATE_CHANGE_SUCCESS || result == GST_STATE_CHANGE_NO_PREROLL;
}

bool CueToPaused(GstElement* pipeline, GstClockTime timeout_ns) {
    return gst_element_set_state(pipeline, GST_STATE_PAUSED) != GST_STATE_CHANGE_FAILURE &&
           WaitForCue(pipeline, timeout_ns);
}

}  // namespace zorvane
