#include "media_setup.h"

#include "gst_ptr.h"

namespace zorvane {

Q_LOGGING_CATEGORY(lcVideo, "vantor.video")

std::string FileUri(const std::string& native_path) {
    GError* raw_error = nullptr;
    const vantor::GCharsPtr uri(gst_filename_to_uri(native_path.c_str(), &raw_error));
    const vantor::GErrorPtr error(raw_error);
    return uri ? std::string(uri.get()) : std::string();
}

bool WaitForCue(GstElement* pipeline, GstClockTime timeout_ns) {
    const GstStateChangeReturn result = gst_element_get_state(pipeline, nullptr, nullptr, timeout_ns);
    return result == GST_STATE_CHANGE_SUCCESS || result == GST_STATE_CHANGE_NO_PREROLL;
}

bool CueToPaused(GstElement* pipeline, GstClockTime timeout_ns) {
    return gst_element_set_state(pipeline, GST_STATE_PAUSED) != GST_STATE_CHANGE_FAILURE &&
           WaitForCue(pipeline, timeout_ns);
}

void TurnPicturesUpright(GstElement* playbin) {
    GstElement* flip = gst_element_factory_make("videoflip", nullptr);
    if (flip == nullptr) {
        qCWarning(lcVideo) << "GStreamer has no videoflip: videos are shown as stored, not upright";
        return;
    }
    gst_util_set_object_arg(G_OBJECT(flip), "video-direction", "auto");
    g_object_set(playbin, "video-filter", flip, nullptr);  // playbin takes the floating reference
}

}  // namespace zorvane
