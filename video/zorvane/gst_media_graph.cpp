#include "gst_media_graph.h"

#include <gst/video/videooverlay.h>
#include "gst_runtime.h"
#include "media_setup.h"

namespace zorvane {
namespace {

using vantor::GErrorPtr;
using vantor::GstBusPtr;
using vantor::GstCapsPtr;
using vantor::GstElementPtr;
using vantor::GstMessagePtr;
using vantor::GstPadPtr;
using vantor::MakeElement;

// An element for the overlay sink of the given factory that can reach the X server.
GstElementPtr UsableSink(const char* factory) {
    GstElementPtr sink = MakeElement(factory);
    if (!sink) {
        return nullptr;
    }
    if (gst_element_set_state(sink.get(), GST_STATE_READY) == GST_STATE_CHANGE_FAILURE) {
        gst_element_set_state(sink.get(), GST_STATE_NULL);
        return nullptr;
    }
    gst_element_set_state(sink.get(), GST_STATE_NULL);
    // The window's input belongs to the host; the picture keeps its shape inside the window, with
    // black bars where the window's shape differs.
    g_object_set(sink.get(), "handle-events", FALSE, "force-aspect-ratio", TRUE, nullptr);
    return sink;
}

struct VideoChain {
    GstElementPtr sink;        // given to playbin
    GstElementPtr overlay;     // inside sink, or sink itself
    GstElementPtr scale_caps;  // inside sink, or null
};

// videoconvert ! videoscale ! capsfilter ! ximagesink, for X servers without XVideo; the scaler
// keeps the picture's shape and fills the rest of the window black.
VideoChain ScaledXImageChain() {
    VideoChain chain;
    GstElementPtr ximage = UsableSink("ximagesink");
    if (!ximage) {
        return chain;
    }
    GstElementPtr bin(GST_ELEMENT(gst_object_ref_sink(gst_bin_new("scaled-video"))));
    const GstElementPtr convert = MakeElement("videoconvert");
    const GstElementPtr scale = MakeElement("videoscale");
    GstElementPtr caps = MakeElement("capsfilter");
    if (!bin || !convert || !scale || !caps) {
        return chain;
    }
    g_object_set(scale.get(), "add-borders", TRUE, nullptr);
    // The bin takes references of its own.
    gst_bin_add_many(GST_BIN(bin.get()), convert.get(), scale.get(), caps.get(), ximage.get(), nullptr);
    gst_element_link_many(convert.get(), scale.get(), caps.get(), ximage.get(), nullptr);
    const GstPadPtr target(gst_element_get_static_pad(convert.get(), "sink"));
    gst_element_add_pad(bin.get(), gst_ghost_pad_new("sink", target.get()));
    chain.sink = std::move(bin);
    chain.overlay = std::move(ximage);
    chain.scale_caps = std::move(caps);
    return chain;
}

VideoChain WindowChain(std::uintptr_t native_window) {
    VideoChain chain;
    if (native_window == 0) {
        chain.sink = MakeElement("fakesink");
        if (chain.sink) {
            g_object_set(chain.sink.get(), "sync", TRUE, nullptr);
        }
        return chain;
    }
    if (GstElementPtr xv = UsableSink("xvimagesink")) {
        chain.overlay = vantor::RefObject(xv.get());
        chain.sink = std::move(xv);
    } else {
        chain = ScaledXImageChain();
    }
    if (chain.overlay) {
        gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(chain.overlay.get()), native_window);
    }
    return chain;
}

}  // namespace

std::unique_ptr<MediaGraph> GstMediaGraph::Create(std::uintptr_t native_window) {
    if (!vantor::InitialiseGstreamer().ok) {
        return nullptr;
    }
    GstElementPtr playbin = MakeElement("playbin");
    if (!playbin) {
        qCWarning(lcVideo) << "GStreamer has no playbin";
        return nullptr;
    }
    VideoChain chain = WindowChain(native_window);
    if (!chain.sink) {
        qCWarning(lcVideo) << "no video sink for the window";
        return nullptr;
    }
    g_object_set(playbin.get(), "video-sink", chain.sink.get(), nullptr);
    TurnPicturesUpright(playbin.get());
    if (chain.scale_caps) {
        // The chain scales to the window itself, black bars and all; playbin's own converter would
        // only scale twice.
        constexpr guint kNativeVideo = 0x40;  // playbin's "native-video" flag: no converter of its own
        guint flags = 0;
        g_object_get(playbin.get(), "flags", &flags, nullptr);
        g_object_set(playbin.get(), "flags", flags | kNativeVideo, nullptr);
    }
    return std::unique_ptr<MediaGraph>(new GstMediaGraph(
        std::move(playbin), std::move(chain.sink), std::move(chain.overlay), std::move(chain.scale_caps)));
}

GstMediaGraph::GstMediaGraph(GstElementPtr playbin, GstElementPtr video_sink, GstElementPtr overlay,
                             GstElementPtr scale_caps)
    : playbin_(std::move(playbin)),
      video_sink_(std::move(video_sink)),
      overlay_(std::move(overlay)),
      scale_caps_(std::move(scale_caps)),
      bus_(gst_element_get_bus(playbin_.get())) {
    gst_bus_set_sync_handler(bus_.get(), &GstMediaGraph::OnBusMessage, this, nullptr);
}

// The streaming threads end with the NULL state; after that nothing calls the handler. The queued
// messages, the bus and the elements go with the members.
GstMediaGraph::~GstMediaGraph() {
    gst_element_set_state(playbin_.get(), GST_STATE_NULL);
    gst_bus_set_sync_handler(bus_.get(), nullptr, nullptr, nullptr);
}

// The handler runs before the bus would queue the message, so the graph queues it itself first:
// a host that answers the notification at once must find the message there.
GstBusSyncReply GstMediaGraph::OnBusMessage(GstBus*, GstMessage* message, gpointer self) {
    auto* graph = static_cast<GstMediaGraph*>(self);
    {
        std::lock_guard lock(graph->queue_mutex_);
        // A handler that drops a message owns it: the queue keeps the posted reference.
        graph->queue_.emplace_back(message);
    }
    std::lock_guard lock(graph->notify_mutex_);
    if (graph->notify_) {
        graph->notify_();
    }
    return GST_BUS_DROP;
}

void GstMediaGraph::SetNotify(std::function<void()> notify) {
    std::lock_guard lock(notify_mutex_);
    notify_ = std::move(notify);
}

bool GstMediaGraph::Render(const std::string& native_path) {
    const std::string uri = FileUri(native_path);
    if (!uri.empty()) {
        g_object_set(playbin_.get(), "uri", uri.c_str(), nullptr);
    }
    if (uri.empty() || !CueToPaused(playbin_.get(), kPrerollTimeout_ns)) {
        qCWarning(lcVideo) << "cannot play" << native_path.c_str();
        gst_element_set_state(playbin_.get(), GST_STATE_NULL);
        broken_ = true;
        return false;
    }
    return true;
}

void GstMediaGraph::SetState(GstState state) {
    if (!broken_) {
        gst_element_set_state(playbin_.get(), state);
    }
}

void GstMediaGraph::Run() {
    SetState(GST_STATE_PLAYING);
}

void GstMediaGraph::Pause() {
    SetState(GST_STATE_PAUSED);
}

// A paused pipeline keeps its position and its last picture, as a stopped player should.
void GstMediaGraph::Stop() {
    SetState(GST_STATE_PAUSED);
}

std::optional<std::int64_t> GstMediaGraph::Duration_ns() {
    gint64 duration = 0;
    if (broken_ || !gst_element_query_duration(playbin_.get(), GST_FORMAT_TIME, &duration) || duration < 0) {
        return std::nullopt;
    }
    return duration;
}

std::optional<std::int64_t> GstMediaGraph::Position_ns() {
    gint64 position = 0;
    if (broken_ || !gst_element_query_position(playbin_.get(), GST_FORMAT_TIME, &position) || position < 0) {
        return std::nullopt;
    }
    return position;
}

void GstMediaGraph::SeekTo_ns(std::int64_t position_ns) {
    if (broken_ || position_ns < 0) {
        return;
    }
    const auto flags = static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_KEY_UNIT);
    gst_element_seek_simple(playbin_.get(), GST_FORMAT_TIME, flags, position_ns);
}

bool GstMediaGraph::HasAudio() {
    gint streams = 0;
    g_object_get(playbin_.get(), "n-audio", &streams, nullptr);
    return !broken_ && streams > 0;
}

double GstMediaGraph::Volume() {
    gdouble volume = 1.0;
    g_object_get(playbin_.get(), "volume", &volume, nullptr);
    return volume;
}

void GstMediaGraph::SetVolume(double linear) {
    g_object_set(playbin_.get(), "volume", static_cast<gdouble>(linear), nullptr);
}

void GstMediaGraph::PlaceVideo(int width, int height) {
    if (scale_caps_ != nullptr) {
        const GstCapsPtr caps(gst_caps_new_simple("video/x-raw", "width", G_TYPE_INT, std::max(width, 1),
                                                  "height", G_TYPE_INT, std::max(height, 1),
                                                  "pixel-aspect-ratio", GST_TYPE_FRACTION, 1, 1, nullptr));
        g_object_set(scale_caps_.get(), "caps", caps.get(), nullptr);
    }
    Expose();
}

void GstMediaGraph::Expose() {
    if (overlay_ != nullptr && !broken_) {
        gst_video_overlay_expose(GST_VIDEO_OVERLAY(overlay_.get()));
    }
}

std::optional<GraphEvent> GstMediaGraph::NextEvent() {
    GstMessagePtr message;
    {
        std::lock_guard lock(queue_mutex_);
        if (queue_.empty()) {
            return std::nullopt;
        }
        message = std::move(queue_.front());
        queue_.pop_front();
    }
    GraphEvent event = GraphEvent::Other;
    switch (GST_MESSAGE_TYPE(message.get())) {
        case GST_MESSAGE_EOS:
            event = GraphEvent::EndOfStream;
            break;
        case GST_MESSAGE_ERROR: {
            GError* raw_error = nullptr;
            gst_message_parse_error(message.get(), &raw_error, nullptr);
            const GErrorPtr error(raw_error);
            qCWarning(lcVideo) << "playback error:" << (error ? error->message : "unknown");
            event = GraphEvent::Error;
            break;
        }
        default:
            break;
    }
    return event;
}

}  // namespace zorvane
