#include "media_setup.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace zorvane {

Q_LOGGING_CATEGORY(lcVideo, "vantor.video")

void InitialiseMedia() {
    gst_init(nullptr, nullptr);  // guarded by GStreamer itself; later calls return at once
    // A video's sound goes to the desktop's sound server or ALSA only: the other sinks (JACK, and
    // OpenAL over JACK) can wait for ever inside the player's state change on a lock that a killed
    // program left taken in /dev/shm.
    constexpr std::array<std::string_view, 3> kDesktopAudio{"pulsesink", "pipewiresink", "alsasink"};
    GList* sinks = gst_element_factory_list_get_elements(
        GST_ELEMENT_FACTORY_TYPE_SINK | GST_ELEMENT_FACTORY_TYPE_MEDIA_AUDIO, GST_RANK_MARGINAL);
    for (GList* item = sinks; item != nullptr; item = item->next) {
        auto* feature = GST_PLUGIN_FEATURE(item->data);
        const std::string_view name = gst_plugin_feature_get_name(feature);
        if (std::find(kDesktopAudio.begin(), kDesktopAudio.end(), name) == kDesktopAudio.end()) {
            gst_plugin_feature_set_rank(feature, GST_RANK_NONE);
        }
    }
    gst_plugin_feature_list_free(sinks);
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
