#pragma once
// Bounds on what looking into a file may cost, whatever the file declares: a crafted file that
// claims an absurd picture size or huge chunks is refused before a decoder allocates for it or
// the source reads that much. The guard watches every pad of a pipeline from the moment its
// elements are added; a pipeline it refused is stopped at its next wait.
#include <gst/gst.h>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace zorvane {

struct ProbeLimits {
    std::int64_t max_side = 8192;                 // pixels, width or height
    std::int64_t max_pixels = 7680LL * 4320;      // a picture of 8K video
    std::uint64_t max_read = 256ULL << 20;        // bytes the source may hand out in all
    std::uint64_t max_single_read = 64ULL << 20;  // bytes of one read
};

class ProbeGuard {
  public:
    // Watches the pipeline's elements, those added later included. Call before it starts.
    ProbeGuard(GstElement* pipeline, ProbeLimits limits = {});
    ProbeGuard(const ProbeGuard&) = delete;
    ProbeGuard& operator=(const ProbeGuard&) = delete;

    bool Refused() const { return refused_; }
    std::string Reason() const;

    // Waits until the pipeline reached its state, failed, was refused or the time is up; true
    // only when it reached its state.
    bool WaitForCue(GstClockTime timeout_ns) const;
    bool CueToPaused(GstClockTime timeout_ns) const;

  private:
    static void OnElementAdded(GstBin* bin, GstBin* sub_bin, GstElement* element, gpointer self);
    static void OnPadAdded(GstElement* element, GstPad* pad, gpointer self);
    static void OnCaps(GstPad* pad, GParamSpec* property, gpointer self);
    static GstPadProbeReturn OnRead(GstPad* pad, GstPadProbeInfo* info, gpointer self);
    void Watch(GstElement* element);
    void Refuse(std::string reason);

    GstElement* pipeline_;
    ProbeLimits limits_;
    std::atomic<bool> refused_{false};
    std::atomic<std::uint64_t> read_{0};
    mutable std::mutex reason_mutex_;  // guards reason_
    std::string reason_;
};

}  // namespace zorvane
