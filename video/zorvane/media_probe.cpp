#include "media_probe.h"

#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gst/pbutils/pbutils.h>
#include <gst/video/video.h>
#include <memory>
#include <string>
#include <utility>
#include "gst_ptr.h"
#include "gst_runtime.h"
#include "media_setup.h"
#include "probe_bounds.h"

namespace zorvane {
namespace {

using vantor::GErrorPtr;
using vantor::GObjectPtr;
using vantor::GstBusPtr;
using vantor::GstCapsPtr;
using vantor::GstElementPtr;
using vantor::GstMessagePtr;
using vantor::GstSamplePtr;

// Brings the pipeline to NULL before it goes, so no streaming thread outlives it.
struct PipelineStopper {
    GstElement* pipeline;
    ~PipelineStopper() { gst_element_set_state(pipeline, GST_STATE_NULL); }
};

GstClockTime ClockTime(std::chrono::milliseconds timeout) {
    return static_cast<GstClockTime>(timeout.count()) * GST_MSECOND;
}

// The picture of a BGRx sample, copied.
QImage ToImage(GstSample* sample) {
    GstVideoInfo info;
    if (!gst_video_info_from_caps(&info, gst_sample_get_caps(sample))) {
        return QImage();
    }
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    GstVideoFrame frame;
    if (buffer == nullptr || !gst_video_frame_map(&frame, &info, buffer, GST_MAP_READ)) {
        return QImage();
    }
    const QImage view(static_cast<const uchar*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0)),
                      GST_VIDEO_FRAME_WIDTH(&frame), GST_VIDEO_FRAME_HEIGHT(&frame),
                      GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0), QImage::Format_RGB32);
    QImage copy = view.copy();
    gst_video_frame_unmap(&frame);
    return copy;
}

// The first error the pipeline reported, or the fallback.
std::string PipelineError(GstElement* pipeline, const char* fallback) {
    const GstBusPtr bus(gst_element_get_bus(pipeline));
    const GstMessagePtr message(bus ? gst_bus_pop_filtered(bus.get(), GST_MESSAGE_ERROR) : nullptr);
    if (!message) {
        return fallback;
    }
    GError* raw_error = nullptr;
    gst_message_parse_error(message.get(), &raw_error, nullptr);
    const GErrorPtr error(raw_error);
    return error ? std::string(fallback) + ": " + error->message : std::string(fallback);
}

VideoGrab Refused(const std::string& native_path, std::string reason) {
    qCInfo(lcVideo) << "no video in" << native_path.c_str() << "-" << reason.c_str();
    VideoGrab grab;
    grab.refusal = std::move(reason);
    return grab;
}

}  // namespace

bool HasDecodableVideo(const std::string& native_path, std::chrono::milliseconds timeout) {
    if (!vantor::InitialiseGstreamer().ok) {
        return false;
    }
    const std::string uri = FileUri(native_path);
    if (uri.empty()) {
        return false;
    }
    GError* raw_error = nullptr;
    const GObjectPtr<GstDiscoverer> discoverer(gst_discoverer_new(ClockTime(timeout), &raw_error));
    if (const GErrorPtr error(std::exchange(raw_error, nullptr)); !discoverer) {
        qCWarning(lcVideo) << "no media detector:" << (error ? error->message : "");
        return false;
    }
    const GObjectPtr<GstDiscovererInfo> info(
        gst_discoverer_discover_uri(discoverer.get(), uri.c_str(), &raw_error));
    const GErrorPtr discover_error(raw_error);
    bool decodable = false;
    if (info && gst_discoverer_info_get_result(info.get()) == GST_DISCOVERER_OK) {
        GList* streams = gst_discoverer_info_get_video_streams(info.get());
        if (streams != nullptr) {
            auto* video = GST_DISCOVERER_VIDEO_INFO(streams->data);
            decodable = !gst_discoverer_video_info_is_image(video) &&
                        gst_discoverer_video_info_get_width(video) > 0 &&
                        gst_discoverer_video_info_get_height(video) > 0;
        }
        gst_discoverer_stream_info_list_free(streams);
    }
    // The detector reads the stream headers only; a file cut short after them still names its
    // video. Decoding the first picture settles it.
    return decodable && GrabVideoFrame(native_path, -1, timeout).has_video;
}

VideoGrab GrabVideoFrame(const std::string& native_path, std::int64_t at_ns,
                         std::chrono::milliseconds timeout) {
    const vantor::GstStart gstreamer = vantor::InitialiseGstreamer();
    if (!gstreamer.ok) {
        return Refused(native_path, gstreamer.error);
    }
    VideoGrab grab;
    const std::string uri = FileUri(native_path);
    const GstElementPtr playbin = vantor::MakeElement("playbin");
    const GstElementPtr sink = vantor::MakeElement("appsink");
    if (uri.empty() || !playbin || !sink) {
        return Refused(native_path,
                       uri.empty() ? "not a file path" : "GStreamer's playbin or appsink is missing");
    }
    const GstCapsPtr caps(gst_caps_from_string("video/x-raw,format=BGRx"));
    g_object_set(sink.get(), "caps", caps.get(), "sync", FALSE, "max-buffers", 1u, nullptr);
    constexpr guint kVideoOnly = 0x1;  // playbin's "video" flag alone: no sound, no subtitles
    g_object_set(playbin.get(), "uri", uri.c_str(), "video-sink", sink.get(), "flags", kVideoOnly, nullptr);
    TurnPicturesUpright(playbin.get());

    const ProbeGuard guard(playbin.get());
    PipelineStopper stopper{playbin.get()};
    if (!guard.CueToPaused(ClockTime(timeout))) {
        return Refused(native_path, guard.Refused()
                                        ? guard.Reason()
                                        : PipelineError(playbin.get(), "cannot be opened or decoded"));
    }
    gint video_streams = 0;
    g_object_get(playbin.get(), "n-video", &video_streams, nullptr);
    if (video_streams <= 0) {
        return Refused(native_path, "no video stream");
    }
    const GstSamplePtr first(gst_app_sink_try_pull_preroll(GST_APP_SINK(sink.get()), ClockTime(timeout)));
    if (!first) {
        return Refused(native_path, gst_app_sink_is_eos(GST_APP_SINK(sink.get()))
                                        ? "its video stream ended before its first picture (the demuxer "
                                          "passed on no picture, e.g. all stamped outside the file's length)"
                                        : "no picture within the time allowed");
    }
    GstVideoInfo info;
    if (!gst_video_info_from_caps(&info, gst_sample_get_caps(first.get()))) {
        return Refused(native_path, "its pictures have no known format");
    }
    if (GST_VIDEO_INFO_FPS_N(&info) == 0 || info.width <= 0 || info.height <= 0) {
        return Refused(native_path, "a still picture, or pictures without a size");
    }
    grab.has_video = true;
    grab.width = info.width;
    grab.height = info.height;
    gint64 duration = -1;
    if (gst_element_query_duration(playbin.get(), GST_FORMAT_TIME, &duration)) {
        grab.duration_ns = duration;
    }
    if (at_ns < 0 || grab.duration_ns <= at_ns) {
        return grab;
    }
    // The exact picture; a file that cannot seek exactly gives the key picture before the mark,
    // and one that cannot seek at all its first picture, so that every video gets a thumbnail.
    for (const GstSeekFlags flags :
         {GST_SEEK_FLAG_ACCURATE, GstSeekFlags(GST_SEEK_FLAG_KEY_UNIT | GST_SEEK_FLAG_SNAP_BEFORE)}) {
        const auto flushing = static_cast<GstSeekFlags>(flags | GST_SEEK_FLAG_FLUSH);
        if (!gst_element_seek_simple(playbin.get(), GST_FORMAT_TIME, flushing, at_ns) ||
            !guard.WaitForCue(ClockTime(timeout))) {
            if (guard.Refused()) {
                return Refused(native_path, guard.Reason());
            }
            qCDebug(lcVideo) << "seek" << flags << "refused in" << native_path.c_str();
            continue;
        }
        const GstSamplePtr picture(
            gst_app_sink_try_pull_preroll(GST_APP_SINK(sink.get()), ClockTime(timeout)));
        if (picture) {
            grab.frame = ToImage(picture.get());
            return grab;
        }
        qCDebug(lcVideo) << "no picture after seek" << flags << "in" << native_path.c_str();
    }
    grab.frame = ToImage(first.get());
    return grab;
}

}  // namespace zorvane
