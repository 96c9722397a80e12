#pragma once
// The capture graph of one open device:
//   device source ! capsfilter (the chosen format) ! [jpegdec] ! videoconvert ! videoflip (vertical)
//   ! appsink (packed 24-bit BGR, no clock)
// so that frames arrive as blue-green-red pixels with the bottom row first. The appsink's new
// samples go, on the streaming thread, to the attached SampleGrabberCallback. An error on the bus
// stops the pipeline and is kept for the owner to read.
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <gst/app/gstappsink.h>
#include "camera/capture_caps.h"
#include "gst_ptr.h"
#include "camera/video_device.h"

class SampleGrabberCallback;

namespace vantor::camera {

struct CaptureError {
    enum class Kind {
        MissingElement,  // a GStreamer element is not installed; element names it
        Build,           // the graph could not be put together
        Start,           // the device did not start (in use, gone, refused the format)
        Stream,          // the running stream failed
    };
    Kind kind = Kind::Build;
    std::string element;
    std::string message;

    std::string Describe() const;
};

class CaptureGraph {
  public:
    // Puts the graph together for the device; requested may be null (the device's own format).
    static std::unique_ptr<CaptureGraph> Build(const VideoDevice& device, const GstCaps* requested,
                                               CaptureError* error);
    ~CaptureGraph();
    CaptureGraph(const CaptureGraph&) = delete;
    CaptureGraph& operator=(const CaptureGraph&) = delete;
    CaptureGraph(CaptureGraph&&) = delete;
    CaptureGraph& operator=(CaptureGraph&&) = delete;

    // Runs the graph and waits until the first frame has come through, an error, the time-out or
    // CallOffStart. Fails on an error, when called off, or on a time-out when the frame size is not
    // yet known.
    bool Start(std::chrono::milliseconds timeout, CaptureError* error);
    // Ends the wait of Start (from another thread), which then fails.
    void CallOffStart();

    // The size of the frames at the end of the graph (from the first frame, else the request).
    CapsSize FrameSize() const;

    // From now on samples go to receiver, which must outlive the graph.
    void Attach(SampleGrabberCallback* receiver);

    // The error that stopped the running stream, if any.
    std::optional<CaptureError> StreamError() const;

  private:
    // What the streaming and bus threads report. Shared with the GStreamer callbacks, which hold
    // it until GStreamer lets go of them, so a late bus message never reaches a destroyed graph.
    struct Events {
        // Held while a sample is handed on; Stop takes it after the streaming threads have ended,
        // so that the last hand-over visibly comes before the receiver goes away.
        std::mutex deliveryMutex;  // guards receiver's use
        std::atomic<SampleGrabberCallback*> receiver{nullptr};
        mutable std::mutex mutex;  // guards firstFrameSize, error and calledOff
        std::condition_variable changed;
        std::optional<CapsSize> firstFrameSize;
        std::optional<CaptureError> error;
        bool calledOff = false;
    };

    CaptureGraph() = default;
    static GstFlowReturn OnNewSample(GstAppSink* sink, gpointer events);
    static GstBusSyncReply OnBusMessage(GstBus* bus, GstMessage* message, gpointer events);
    // A share of the events handed to GStreamer as callback data, and its release.
    static gpointer ShareEvents(const std::shared_ptr<Events>& events);
    static void ReleaseEvents(gpointer events);
    void Stop();

    GstPipelinePtr pipeline_;
    GstElementPtr appsink_;
    CapsSize requestedSize_;
    std::shared_ptr<Events> events_ = std::make_shared<Events>();
};

}  // namespace vantor::camera
