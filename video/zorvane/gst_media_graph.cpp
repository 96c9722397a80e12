#include "gst_media_graph.h"

#include <gst/video/videooverlay.h>
#include "media_setup.h"

namespace zorvane {
namespace {

// An element for the overlay sink of the given factory that can reach the X server.
GstElement* UsableSink(const char* factory) {
    GstElement* sink = gst_element_factory_make(factory, nullptr);
    if (sink == nullptr) {
        return nullptr;
    }
    gst_object_ref_sink(sink);
    if (gst_element_set_state(sink, GST_STATE_READY) == GST_STATE_CHANGE_FAILURE) {
        gst_element_set_state(sink, GST_STATE_NULL);
        gst_object_unref(sink);
        return nullptr;
    }
    gst_element_set_state(sink, GST_STATE_NULL);
    // The window's input belongs to the host; the picture keeps its shape inside the window, with
    // black bars where the window's shape differs.
    g_object_set(sink, "handle-events", FALSE, "force-aspect-ratio", TRUE, nullptr);
    return sink;
}

struct VideoChain {
    GstElement* sink = nullptr;        // given to playbin
    GstElement* overlay = nullptr;     // inside sink, or sink itself
    GstElement* scale_caps = nullptr;  // inside sink, or null
};

// videoconvert ! videoscale ! capsfilter ! ximagesink, for X servers without XVideo; the scaler
// keeps the picture's shape and fills the rest of the window black.
VideoChain ScaledXImageChain() {
    VideoChain chain;
    GstElement* ximage = UsableSink("ximagesink");
    if (ximage == nullptr) {
        return chain;
    }
    GstElement* bin = gst_bin_new("scaled-video");
    GstElement* convert = gst_element_factory_make("videoconvert", nullptr);
    GstElement* scale = gst_element_factory_make("videoscale", nullptr);
    GstElement* caps = gst_element_factory_make("capsfilter", nullptr);
    if (bin == nullptr || convert == nullptr || scale == nullptr || caps == nullptr) {
        for (GstElement* element : {bin, convert, scale, caps}) {
            if (element != nullptr) {
                gst_object_unref(gst_object_ref_sink(element));
            }
        }
        gst_object_unref(ximage);
        return chain;
    }
    g_object_set(scale, "add-borders", TRUE, nullptr);
    gst_bin_add_many(GST_BIN(bin), convert, scale, caps, ximage, nullptr);  // the bin takes ximage's ref
    gst_element_link_many(convert, scale, caps, ximage, nullptr);
    GstPad* target = gst_element_get_static_pad(convert, "sink");
    gst_element_add_pad(bin, gst_ghost_pad_new("sink", target));
    gst_object_unref(target);
    chain.sink = GST_ELEMENT(gst_object_ref_sink(bin));
    chain.overlay = GST_ELEMENT(gst_object_ref(ximage));
    chain.scale_caps = GST_ELEMENT(gst_object_ref(caps));
    return chain;
}

VideoChain WindowChain(std::uintptr_t native_window) {
    if (native_window == 0) {
        VideoChain chain;
        chain.sink = gst_element_factory_make("fakesink", nullptr);
        if (chain.sink != nullptr) {
            gst_object_ref_sink(chain.sink);
            g_object_set(chain.sink, "sync", TRUE, nullptr);
        }
        return chain;
    }
    VideoChain chain;
    if (GstElement* xv = UsableSink("xvimagesink")) {
        chain.sink = xv;
        chain.overlay = GST_ELEMENT(gst_object_ref(xv));
    } else {
        chain = ScaledXImageChain();
    }
    if (chain.overlay != nullptr) {
        gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(chain.overlay), native_window);
    }
    return chain;
}

}  // namespace

std::unique_ptr<MediaGraph> GstMediaGraph::Create(std::uintptr_t native_window) {
    InitialiseMedia();
    GstElement* playbin = gst_element_factory_make("playbin", nullptr);
    if (playbin == nullptr) {
        qCWarning(lcVideo) << "GStreamer has no playbin";
        return nullptr;
    }
    gst_object_ref_sink(playbin);
    const VideoChain chain = WindowChain(native_window);
    if (chain.sink == nullptr) {
        qCWarning(lcVideo) << "no video sink for the window";
        gst_object_unref(playbin);
        return nullptr;
    }
    g_object_set(playbin, "video-sink", chain.sink, nullptr);
    TurnPicturesUpright(playbin);
    if (chain.scale_caps != nullptr) {
        // The chain scales to the window itself, black bars and all; playbin's own converter would
        // only scale twice.
        constexpr guint kNativeVideo = 0x40;  // playbin's "native-video" flag: no converter of its own
        guint flags = 0;
        g_object_get(playbin, "flags", &flags, nullptr);
        g_object_set(playbin, "flags", flags | kNativeVideo, nullptr);
    }
    return std::unique_ptr<MediaGraph>(
        new GstMediaGraph(playbin, chain.sink, chain.overlay, chain.scale_caps));
}

GstMediaGraph::GstMediaGraph(GstElement* playbin, GstElement* video_sink, GstElement* overlay,
                             GstElement* scale_caps)
    : playbin_(playbin),
      video_sink_(video_sink),
      overlay_(overlay),
      scale_caps_(scale_caps),
      bus_(gst_element_get_bus(playbin)) {
    gst_bus_set_sync_handler(bus_, &GstMediaGraph::OnBusMessage, this, nullptr);
}

// The streaming threads end with the NULL state; after that nothing calls the handler.
GstMediaGraph::~GstMediaGraph() {
    gst_element_set_state(playbin_, GST_STATE_NULL);
    gst_bus_set_sync_handler(bus_, nullptr, nullptr, nullptr);
    gst_object_unref(bus_);
    for (GstMessage* message : queue_) {
        gst_message_unref(message);
    }
    for (GstElement* element : {scale_caps_, overlay_, video_sink_, playbin_}) {
        if (element != nullptr) {
            gst_object_unref(element);
        }
    }
}

// The handler runs before the bus would queue the message, so the graph queues it itself first:
// a host that answers the notification at once must find the message there.
GstBusSyncReply GstMediaGraph::OnBusMessage(GstBus*, GstMessage* message, gpointer self) {
    auto* graph = static_cast<GstMediaGraph*>(self);
    {
        std::lock_guard lock(graph->queue_mutex_);
        // A handler that drops a message owns it: the queue keeps the posted reference.
        graph->queue_.push_back(message);
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
        g_object_set(playbin_, "uri", uri.c_str(), nullptr);
    }
    if (uri.empty() || !CueToPaused(playbin_, kPrerollTimeout_ns)) {
        qCWarning(lcVideo) << "cannot play" << native_path.c_str();
        gst_element_set_state(playbin_, GST_STATE_NULL);
        broken_ = true;
        return false;
    }
    return true;
}

void GstMediaGraph::SetState(GstState state) {
    if (!broken_) {
        gst_element_set_state(playbin_, state);
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
    if (broken_ || !gst_element_query_duration(playbin_, GST_FORMAT_TIME, &duration) || duration < 0) {
        return std::nullopt;
    }
    return duration;
}

std::optional<std::int64_t> GstMediaGraph::Position_ns() {
    gint64 position = 0;
    if (broken_ || !gst_element_query_position(playbin_, GST_FORMAT_TIME, &position) || position < 0) {
        return std::nullopt;
    }
    return position;
}

void GstMediaGraph::SeekTo_ns(std::int64_t position_ns) {
    if (broken_ || position_ns < 0) {
        return;
    }
    const auto flags = static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_KEY_UNIT);
    gst_element_seek_simple(playbin_, GST_FORMAT_TIME, flags, position_ns);
}

bool GstMediaGraph::HasAudio() {
    gint streams = 0;
    g_object_get(playbin_, "n-audio", &streams, nullptr);
    return !broken_ && streams > 0;
}

double GstMediaGraph::Volume() {
    gdouble volume = 1.0;
    g_object_get(playbin_, "volume", &volume, nullptr);
    return volume;
}

void GstMediaGraph::SetVolume(double linear) {
    g_object_set(playbin_, "volume", static_cast<gdouble>(linear), nullptr);
}

void GstMediaGraph::PlaceVideo(int width, int height) {
    if (scale_caps_ != nullptr) {
        GstCaps* caps =
            gst_caps_new_simple("video/x-raw", "width", G_TYPE_INT, std::max(width, 1), "height", G_TYPE_INT,
                                std::max(height, 1), "pixel-aspect-ratio", GST_TYPE_FRACTION, 1, 1, nullptr);
        g_object_set(scale_caps_, "caps", caps, nullptr);
        gst_caps_unref(caps);
    }
    Expose();
}

void GstMediaGraph::Expose() {
    if (overlay_ != nullptr && !broken_) {
        gst_video_overlay_expose(GST_VIDEO_OVERLAY(overlay_));
    }
}

std::optional<GraphEvent> GstMediaGraph::NextEvent() {
    GstMessage* message = nullptr;
    {
        std::lock_guard lock(queue_mutex_);
        if (queue_.empty()) {
            return std::nullopt;
        }
        message = queue_.front();
        queue_.pop_front();
    }
    GraphEvent event = GraphEvent::Other;
    switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_EOS:
            event = GraphEvent::EndOfStream;
            break;
        case GST_MESSAGE_ERROR: {
            GError* error = nullptr;
            gst_message_parse_error(message, &error, nullptr);
            qCWarning(lcVideo) << "playback error:" << (error ? error->message : "unknown");
            g_clear_error(&error);
            event = GraphEvent::Error;
            break;
        }
        default:
            break;
    }
    gst_message_unref(message);
    return event;
}

}  // namespace zorvane
