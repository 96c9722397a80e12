#include "camera/capture_graph.h"
#include <cstdio>
#include "camera/sample_grabber_callback.h"

namespace vantor::camera {
namespace {

GstElementPtr MakeElement(const char* factory, CaptureError* error) {
    GstElement* element = gst_element_factory_make(factory, nullptr);
    if (element == nullptr) {
        *error = CaptureError{CaptureError::Kind::MissingElement, factory,
                              std::string("the GStreamer element \"") + factory + "\" is not installed"};
        return nullptr;
    }
    return GstElementPtr(GST_ELEMENT(gst_object_ref_sink(element)));
}

bool IsJpeg(const GstCaps* caps) {
    return caps != nullptr && !gst_caps_is_empty(caps) && !gst_caps_is_any(caps) &&
           gst_structure_has_name(gst_caps_get_structure(caps, 0), "image/jpeg");
}

CaptureError ErrorFromMessage(GstMessage* message) {
    GError* raw = nullptr;
    gchar* rawDebug = nullptr;
    gst_message_parse_error(message, &raw, &rawDebug);
    GErrorPtr error(raw);
    GCharsPtr debug(rawDebug);
    CaptureError result;
    result.kind = CaptureError::Kind::Stream;
    result.element = GST_MESSAGE_SRC(message) != nullptr ? GST_OBJECT_NAME(GST_MESSAGE_SRC(message)) : "";
    result.message = error ? error->message : "unknown stream error";
    return result;
}

void StopFromAnotherThread(GstElement* pipeline, gpointer) {
    gst_element_set_state(pipeline, GST_STATE_NULL);
}

// The pipeline that holds the element (a new reference), or null.
GstElementPtr TopLevelOf(GstObject* object) {
    if (object == nullptr) {
        return nullptr;
    }
    GstElementPtr top(GST_ELEMENT(gst_object_ref(object)));
    while (GstObject* parent = gst_object_get_parent(GST_OBJECT(top.get()))) {
        top.reset(GST_ELEMENT(parent));
    }
    return top;
}

// GStreamer hands a started graph to its streaming threads through GLib's own synchronisation,
// which the thread checker cannot see. This lock, taken when a graph is put together and by every
// callback before it touches the graph's events, states that ordering in the open.
std::mutex g_publicationMutex;  // orders a graph's construction before its callbacks

}  // namespace

std::string CaptureError::Describe() const {
    switch (kind) {
        case Kind::MissingElement:
            return message;
        case Kind::Build:
            return "cannot build the capture graph: " + message;
        case Kind::Start:
            return "the device did not start: " + message;
        case Kind::Stream:
            return "stream error in " + element + ": " + message;
    }
    return message;
}

std::unique_ptr<CaptureGraph> CaptureGraph::Build(const VideoDevice& device, const GstCaps* requested,
                                                  CaptureError* error) {
    std::unique_ptr<CaptureGraph> graph(new CaptureGraph());
    graph->requestedSize_ = SizeOfCaps(requested);

    std::string sourceError;
    GstElementPtr source = device.CreateSource(&sourceError);
    if (!source) {
        *error = CaptureError{CaptureError::Kind::Build, "source", sourceError};
        return nullptr;
    }
    GstElementPtr filter = MakeElement("capsfilter", error);
    GstElementPtr decoder = IsJpeg(requested) ? MakeElement("jpegdec", error) : nullptr;
    GstElementPtr convert = MakeElement("videoconvert", error);
    GstElementPtr flip = MakeElement("videoflip", error);
    GstElementPtr sink = MakeElement("appsink", error);
    if (!filter || (IsJpeg(requested) && !decoder) || !convert || !flip || !sink) {
        return nullptr;
    }
    if (requested != nullptr) {
        g_object_set(filter.get(), "caps", requested, nullptr);
    }
    gst_util_set_object_arg(G_OBJECT(flip.get()), "video-direction", "vert");
    GstCapsPtr bgr(gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGR", nullptr));
    // The sink follows no clock: frames are handed on as they arrive. (Live sources keep their
    // own pace: a camera's, or the pipeline clock's for a test camera.)
    g_object_set(sink.get(), "caps", bgr.get(), "sync", FALSE, "max-buffers", 1u, "drop", TRUE, nullptr);

    graph->pipeline_.reset(GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new("vantor-capture"))));
    GstBin* bin = GST_BIN(graph->pipeline_.get());
    gst_bin_add_many(bin, source.get(), filter.get(), convert.get(), flip.get(), sink.get(), nullptr);
    if (decoder) {
        gst_bin_add(bin, decoder.get());
    }
    const bool linked = decoder ? gst_element_link_many(source.get(), filter.get(), decoder.get(),
                                                        convert.get(), flip.get(), sink.get(), nullptr)
                                : gst_element_link_many(source.get(), filter.get(), convert.get(), flip.get(),
                                                        sink.get(), nullptr);
    if (!linked) {
        *error =
            CaptureError{CaptureError::Kind::Build, "", "the device's source does not link to the converter"};
        return nullptr;
    }
    GstBusPtr bus(gst_element_get_bus(graph->pipeline_.get()));
    gst_bus_set_sync_handler(bus.get(), &CaptureGraph::OnBusMessage, ShareEvents(graph->events_),
                             &CaptureGraph::ReleaseEvents);

    GstAppSinkCallbacks callbacks{};
    callbacks.new_sample = &CaptureGraph::OnNewSample;
    gst_app_sink_set_callbacks(GST_APP_SINK(sink.get()), &callbacks, ShareEvents(graph->events_),
                               &CaptureGraph::ReleaseEvents);
    graph->appsink_ = std::move(sink);
    std::lock_guard published(g_publicationMutex);
    return graph;
}

CaptureGraph::~CaptureGraph() {
    Stop();
}

void CaptureGraph::Stop() {
    if (!pipeline_) {
        return;
    }
    // Going to NULL joins the streaming threads: no callback runs after this.
    gst_element_set_state(pipeline_.get(), GST_STATE_NULL);
    {
        std::lock_guard delivery(events_->deliveryMutex);
        events_->receiver.store(nullptr);
    }
    { std::lock_guard lock(events_->mutex); }
    GstBusPtr bus(gst_element_get_bus(pipeline_.get()));
    gst_bus_set_sync_handler(bus.get(), nullptr, nullptr, nullptr);
    if (appsink_) {
        GstAppSinkCallbacks none{};
        gst_app_sink_set_callbacks(GST_APP_SINK(appsink_.get()), &none, nullptr, nullptr);
    }
    appsink_.reset();
    pipeline_.reset();
}

bool CaptureGraph::Start(std::chrono::milliseconds timeout, CaptureError* error) {
    const GstStateChangeReturn change = gst_element_set_state(pipeline_.get(), GST_STATE_PLAYING);
    Events& events = *events_;
    std::unique_lock lock(events.mutex);
    if (change == GST_STATE_CHANGE_FAILURE) {
        *error =
            events.error.value_or(CaptureError{CaptureError::Kind::Start, "", "the device refused to start"});
        error->kind = CaptureError::Kind::Start;
        return false;
    }
    events.changed.wait_for(lock, timeout, [&events] {
        return events.firstFrameSize.has_value() || events.error.has_value() || events.calledOff;
    });
    if (events.calledOff) {
        *error = CaptureError{CaptureError::Kind::Start, "", "the start was called off"};
        return false;
    }
    if (events.error) {
        *error = *events.error;
        error->kind = CaptureError::Kind::Start;
        return false;
    }
    if (!events.firstFrameSize && requestedSize_.width <= 0) {
        *error =
            CaptureError{CaptureError::Kind::Start, "", "no frame arrived and the frame size is unknown"};
        return false;
    }
    return true;
}

void CaptureGraph::CallOffStart() {
    std::lock_guard lock(events_->mutex);
    events_->calledOff = true;
    events_->changed.notify_all();
}

CapsSize CaptureGraph::FrameSize() const {
    std::lock_guard lock(events_->mutex);
    return events_->firstFrameSize.value_or(requestedSize_);
}

std::optional<CaptureError> CaptureGraph::StreamError() const {
    std::lock_guard lock(events_->mutex);
    return events_->error;
}

void CaptureGraph::Attach(SampleGrabberCallback* receiver) {
    events_->receiver.store(receiver);
}

gpointer CaptureGraph::ShareEvents(const std::shared_ptr<Events>& events) {
    return std::make_unique<std::shared_ptr<Events>>(events).release();
}

void CaptureGraph::ReleaseEvents(gpointer events) {
    std::unique_ptr<std::shared_ptr<Events>> share(static_cast<std::shared_ptr<Events>*>(events));
}

GstFlowReturn CaptureGraph::OnNewSample(GstAppSink* sink, gpointer data) {
    { std::lock_guard published(g_publicationMutex); }
    Events& events = **static_cast<std::shared_ptr<Events>*>(data);
    std::lock_guard delivery(events.deliveryMutex);
    GstSamplePtr sample(gst_app_sink_pull_sample(sink));
    if (!sample) {
        return GST_FLOW_EOS;
    }
    if (SampleGrabberCallback* receiver = events.receiver.load()) {
        receiver->OnSample(sample.get());
        return GST_FLOW_OK;
    }
    std::lock_guard lock(events.mutex);
    if (!events.firstFrameSize) {
        events.firstFrameSize = SizeOfCaps(gst_sample_get_caps(sample.get()));
    }
    events.changed.notify_all();
    return GST_FLOW_OK;
}

GstBusSyncReply CaptureGraph::OnBusMessage(GstBus*, GstMessage* posted, gpointer data) {
    // Every message ends here (the handler drops them all), and a handler that drops a message
    // releases it.
    const GstMessagePtr owned(posted);
    GstMessage* message = owned.get();
    if (GST_MESSAGE_TYPE(message) != GST_MESSAGE_ERROR) {
        return GST_BUS_DROP;
    }
    { std::lock_guard published(g_publicationMutex); }
    Events& events = **static_cast<std::shared_ptr<Events>*>(data);
    const CaptureError error = ErrorFromMessage(message);
    std::printf("ERROR: %s\n", error.Describe().c_str());
    std::fflush(stdout);
    {
        std::lock_guard lock(events.mutex);
        if (!events.error) {
            events.error = error;
        }
        events.changed.notify_all();
    }
    // A failed stream stops the pipeline. State changes must not be made from a streaming thread,
    // so GStreamer makes this one from its own worker, holding its own reference to the pipeline.
    if (GstElementPtr pipeline = TopLevelOf(GST_MESSAGE_SRC(message))) {
        gst_element_call_async(pipeline.get(), &StopFromAnotherThread, nullptr, nullptr);
    }
    return GST_BUS_DROP;
}

}  // namespace vantor::camera
