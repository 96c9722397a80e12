#pragma once
// GStreamer's start in the process, for every part that builds pipelines (cameras, microphone,
// sounds, videos, and the tests' encoders). GStreamer keeps the state itself: its initialisation
// is guarded, and a later call returns at once. It is never deinitialised (it cannot be started
// again afterwards); the process keeps it until exit.
#include <gst/gst.h>
#include <QLoggingCategory>
#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include "gst_ptr.h"

namespace vantor {

inline const QLoggingCategory& lcGstreamer() {
    static const QLoggingCategory category("vantor.gstreamer");
    return category;
}

// GStreamer's audio autodetection (autoaudiosink, autoaudiosrc, playbin's sound) tries every
// audio sink or source of the machine in turn where no sound server or ALSA device answers, JACK
// among them, directly or through OpenAL. Without a JACK server its client library opens a
// database in /dev/shm and waits on a process-shared lock in it; a program killed while it held
// that lock leaves it taken, and every later open waits for ever, on the thread that starts the
// sound, the recording or the video. The programs play and record through the desktop's sound
// server (PulseAudio, PipeWire) or ALSA only; without them there is no sound. Lowering a rank
// twice changes nothing, so every caller may do it.
inline void LimitAudioAutodetection() {
    constexpr std::array<std::string_view, 6> kDesktopAudio{"pulsesink",   "pulsesrc", "pipewiresink",
                                                            "pipewiresrc", "alsasink", "alsasrc"};
    for (const GstElementFactoryListType type :
         {GST_ELEMENT_FACTORY_TYPE_SINK, GST_ELEMENT_FACTORY_TYPE_SRC}) {
        GList* factories = gst_element_factory_list_get_elements(type | GST_ELEMENT_FACTORY_TYPE_MEDIA_AUDIO,
                                                                 GST_RANK_MARGINAL);
        for (GList* item = factories; item != nullptr; item = item->next) {
            auto* feature = GST_PLUGIN_FEATURE(item->data);
            const std::string_view name = gst_plugin_feature_get_name(feature);
            if (std::find(kDesktopAudio.begin(), kDesktopAudio.end(), name) == kDesktopAudio.end()) {
                gst_plugin_feature_set_rank(feature, GST_RANK_NONE);
            }
        }
        gst_plugin_feature_list_free(factories);
    }
}

struct GstStart {
    bool ok = false;
    std::string error;  // why GStreamer did not start; empty when it runs
};

// Starts GStreamer when it is not running yet and keeps the audio autodetection to the desktop's
// devices. Safe from any thread, any number of times; each call returns only once both are done.
inline GstStart InitialiseGstreamer() {
    GError* raw = nullptr;
    const bool started = gst_init_check(nullptr, nullptr, &raw) != FALSE;
    const GErrorPtr error(raw);
    if (!started) {
        GstStart failed{
            false, std::string("GStreamer did not start: ") + (error ? error->message : "no reason given")};
        qCWarning(lcGstreamer) << failed.error.c_str();
        return failed;
    }
    LimitAudioAutodetection();
    return GstStart{true, {}};
}

// GStreamer started for whatever holds it: a member of each object that builds pipelines, so
// that it is started before the object's first pipeline.
class GstRuntime {
  public:
    GstRuntime() : start_(InitialiseGstreamer()) {}

    // Whether GStreamer could be initialised; when not, Error() tells why.
    bool ok() const { return start_.ok; }
    const std::string& Error() const { return start_.error; }

  private:
    GstStart start_;
};

}  // namespace vantor
