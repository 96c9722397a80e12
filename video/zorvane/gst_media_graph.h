#pragma once
// The media graph over GStreamer: a playbin whose pictures go through the video overlay interface
// into the host's native X window. With XVideo the sink scales the picture itself; without it
// (a plain X server such as Xvfb) the pictures are scaled to the window's size before an X image
// sink. Without a window the pictures are decoded and dropped in time, so the clock still runs.
#include <gst/gst.h>
#include <deque>
#include <mutex>
#include "gst_ptr.h"
#include "media_graph.h"

namespace zorvane {

class GstMediaGraph final : public MediaGraph {
  public:
    static std::unique_ptr<MediaGraph> Create(std::uintptr_t native_window);
    ~GstMediaGraph() override;
    GstMediaGraph(const GstMediaGraph&) = delete;
    GstMediaGraph& operator=(const GstMediaGraph&) = delete;

    bool Render(const std::string& native_path) override;
    void Run() override;
    void Pause() override;
    void Stop() override;
    std::optional<std::int64_t> Duration_ns() override;
    std::optional<std::int64_t> Position_ns() override;
    void SeekTo_ns(std::int64_t position_ns) override;
    bool HasAudio() override;
    double Volume() override;
    void SetVolume(double linear) override;
    bool HasVideoWindow() const override { return overlay_ != nullptr; }
    void PlaceVideo(int width, int height) override;
    void Expose() override;
    void SetNotify(std::function<void()> notify) override;
    std::optional<GraphEvent> NextEvent() override;

    // The element that draws the pictures, for the frame statistics of the benchmarks.
    GstElement* VideoSink() const { return video_sink_.get(); }

  private:
    GstMediaGraph(vantor::GstElementPtr playbin, vantor::GstElementPtr video_sink,
                  vantor::GstElementPtr overlay, vantor::GstElementPtr scale_caps);
    static GstBusSyncReply OnBusMessage(GstBus* bus, GstMessage* message, gpointer self);
    void SetState(GstState state);

    vantor::GstElementPtr playbin_;
    vantor::GstElementPtr video_sink_;  // the element playbin renders into
    vantor::GstElementPtr overlay_;     // or null; implements GstVideoOverlay
    vantor::GstElementPtr scale_caps_;  // or null; the size the pictures are scaled to
    vantor::GstBusPtr bus_;
    bool broken_ = false;  // the file could not be rendered: commands are ignored

    // The bus's messages, taken off it as they are posted so that each one is waiting before the
    // host is told; oldest first. Two locks, so that a host may take the
    // events from inside its notification.
    std::mutex queue_mutex_;  // guards queue_
    std::deque<vantor::GstMessagePtr> queue_;
    std::mutex notify_mutex_;  // guards notify_, called on GStreamer's threads
    std::function<void()> notify_;
};

// How long a load waits for the first picture.
inline constexpr GstClockTime kPrerollTimeout_ns = 15 * GST_SECOND;

}  // namespace zorvane
