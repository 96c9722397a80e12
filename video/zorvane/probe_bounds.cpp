#include "probe_bounds.h"

#include <algorithm>
#include <utility>
#include "gst_ptr.h"

namespace zorvane {
namespace {

constexpr GstClockTime kWaitSlice_ns = 50 * GST_MSECOND;

bool IsSource(GstElement* element) {
    return GST_OBJECT_FLAG_IS_SET(element, GST_ELEMENT_FLAG_SOURCE);
}

}  // namespace

ProbeGuard::ProbeGuard(GstElement* pipeline, ProbeLimits limits) : pipeline_(pipeline), limits_(limits) {
    g_signal_connect(pipeline, "deep-element-added", G_CALLBACK(&ProbeGuard::OnElementAdded), this);
}

std::string ProbeGuard::Reason() const {
    std::lock_guard<std::mutex> lock(reason_mutex_);
    return reason_;
}

void ProbeGuard::Refuse(std::string reason) {
    {
        std::lock_guard<std::mutex> lock(reason_mutex_);
        if (refused_) {
            return;
        }
        reason_ = std::move(reason);
    }
    refused_ = true;
}

void ProbeGuard::OnElementAdded(GstBin*, GstBin*, GstElement* element, gpointer self) {
    static_cast<ProbeGuard*>(self)->Watch(element);
}

void ProbeGuard::OnPadAdded(GstElement* element, GstPad* pad, gpointer self) {
    auto* guard = static_cast<ProbeGuard*>(self);
    if (GST_PAD_DIRECTION(pad) != GST_PAD_SRC) {
        return;
    }
    g_signal_connect(pad, "notify::caps", G_CALLBACK(&ProbeGuard::OnCaps), guard);
    if (IsSource(element)) {
        // Before a pull (the size asked for) and after every buffer read or pushed (the count).
        gst_pad_add_probe(pad,
                          static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_PULL | GST_PAD_PROBE_TYPE_BLOCK),
                          &ProbeGuard::OnRead, guard, nullptr);
        gst_pad_add_probe(pad,
                          static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_PUSH |
                                                       GST_PAD_PROBE_TYPE_PULL),
                          &ProbeGuard::OnRead, guard, nullptr);
    }
}

// Every source pad of the element, now and later: its caps, and for a source what it reads.
void ProbeGuard::Watch(GstElement* element) {
    GstIterator* pads = gst_element_iterate_src_pads(element);
    GValue item = G_VALUE_INIT;
    while (gst_iterator_next(pads, &item) == GST_ITERATOR_OK) {
        OnPadAdded(element, GST_PAD(g_value_get_object(&item)), this);
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(pads);
    g_signal_connect(element, "pad-added", G_CALLBACK(&ProbeGuard::OnPadAdded), this);
}

// Caps that declare an absurd picture stop the stream on the spot. An element stores its new caps
// on its pad before it sends them on and before it allocates for them; the thread that stores
// them waits here until the pipeline is stopped, and then finds its pad flushing, so it neither
// sends them nor allocates.
void ProbeGuard::OnCaps(GstPad* pad, GParamSpec*, gpointer self) {
    auto* guard = static_cast<ProbeGuard*>(self);
    const vantor::GstCapsPtr caps(gst_pad_get_current_caps(pad));
    for (guint i = 0; caps && i < gst_caps_get_size(caps.get()); ++i) {
        const GstStructure* structure = gst_caps_get_structure(caps.get(), i);
        gint width = 0;
        gint height = 0;
        if (!gst_structure_get_int(structure, "width", &width) ||
            !gst_structure_get_int(structure, "height", &height)) {
            continue;
        }
        const ProbeLimits& limits = guard->limits_;
        if (width > limits.max_side || height > limits.max_side ||
            static_cast<std::int64_t>(width) * height > limits.max_pixels) {
            guard->Refuse("declares pictures of " + std::to_string(width) + " x " + std::to_string(height) +
                          " pixels (" + gst_structure_get_name(structure) + "), beyond what is decoded here");
        }
    }
    while (guard->refused_ && !GST_PAD_IS_FLUSHING(pad)) {
        g_usleep(5000);  // until the waiting thread stops the pipeline
    }
}

// A read asked of the source is refused before it happens when it alone is past the bounds; what
// the source hands out counts against the total, and the pipeline is stopped once that is past.
GstPadProbeReturn ProbeGuard::OnRead(GstPad*, GstPadProbeInfo* info, gpointer self) {
    auto* guard = static_cast<ProbeGuard*>(self);
    const ProbeLimits& limits = guard->limits_;
    const bool blocking = (GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_BLOCK) != 0;
    if (guard->refused_) {
        return blocking ? GST_PAD_PROBE_OK : GST_PAD_PROBE_PASS;
    }
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    if (buffer == nullptr) {
        const std::uint64_t asked = GST_PAD_PROBE_INFO_SIZE(info);
        if (asked > limits.max_single_read) {
            guard->Refuse("asks to read " + std::to_string(asked) + " bytes at once");
            return GST_PAD_PROBE_OK;
        }
        return GST_PAD_PROBE_PASS;
    }
    const std::uint64_t total = guard->read_ += gst_buffer_get_size(buffer);
    if (total > limits.max_read) {
        guard->Refuse("needs more than " + std::to_string(limits.max_read) + " bytes read");
    }
    return GST_PAD_PROBE_PASS;
}

bool ProbeGuard::WaitForCue(GstClockTime timeout_ns) const {
    for (GstClockTime waited = 0; !refused_; waited += kWaitSlice_ns) {
        const GstClockTime slice = std::min(kWaitSlice_ns, timeout_ns - std::min(waited, timeout_ns));
        const GstStateChangeReturn result = gst_element_get_state(pipeline_, nullptr, nullptr, slice);
        if (result == GST_STATE_CHANGE_SUCCESS || result == GST_STATE_CHANGE_NO_PREROLL) {
            return !refused_;
        }
        if (result == GST_STATE_CHANGE_FAILURE || waited >= timeout_ns) {
            return false;
        }
    }
    return false;
}

bool ProbeGuard::CueToPaused(GstClockTime timeout_ns) const {
    return gst_element_set_state(pipeline_, GST_STATE_PAUSED) != GST_STATE_CHANGE_FAILURE &&
           WaitForCue(timeout_ns);
}

}  // namespace zorvane
