#pragma once
// Owning handles for GStreamer and GLib objects: each releases its one reference when it goes
// away. Adopt a reference the caller already owns with the constructor; take a new one with
// RefObject() or RefCaps(). A floating element is sunk before it is adopted (gst_object_ref_sink),
// or handed on to the bin or property that takes it.
#include <gst/gst.h>
#include <memory>

namespace vantor {

// The deleters: unique_ptr calls them only for a pointer that is not null.
struct GstObjectUnref {
    void operator()(gpointer object) const { gst_object_unref(object); }
};
// For GObjects that are not GstObjects (a GstDiscoverer and its results).
struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
// For the reference-counted values and the GLib allocations, each by its own release function.
struct GstRelease {
    void operator()(GstCaps* caps) const { gst_caps_unref(caps); }
    void operator()(GstSample* sample) const { gst_sample_unref(sample); }
    void operator()(GstBuffer* buffer) const { gst_buffer_unref(buffer); }
    void operator()(GstMessage* message) const { gst_message_unref(message); }
    void operator()(GstStructure* structure) const { gst_structure_free(structure); }
    void operator()(GError* error) const { g_error_free(error); }
    void operator()(gchar* text) const { g_free(text); }
};

template <typename T>
using GstObjectPtr = std::unique_ptr<T, GstObjectUnref>;
using GstElementPtr = std::unique_ptr<GstElement, GstObjectUnref>;
using GstPipelinePtr = std::unique_ptr<GstElement, GstObjectUnref>;  // a GstPipeline, kept as element
using GstBusPtr = std::unique_ptr<GstBus, GstObjectUnref>;
using GstDeviceMonitorPtr = std::unique_ptr<GstDeviceMonitor, GstObjectUnref>;
using GstDevicePtr = std::unique_ptr<GstDevice, GstObjectUnref>;
using GstPadPtr = std::unique_ptr<GstPad, GstObjectUnref>;
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;
using GstCapsPtr = std::unique_ptr<GstCaps, GstRelease>;
using GstBufferPtr = std::unique_ptr<GstBuffer, GstRelease>;
using GstSamplePtr = std::unique_ptr<GstSample, GstRelease>;
using GstStructurePtr = std::unique_ptr<GstStructure, GstRelease>;
using GErrorPtr = std::unique_ptr<GError, GstRelease>;
using GCharsPtr = std::unique_ptr<gchar, GstRelease>;
using GstMessagePtr = std::unique_ptr<GstMessage, GstRelease>;

// A new reference to an object the caller does not own.
template <typename T>
GstObjectPtr<T> RefObject(T* object) {
    return GstObjectPtr<T>(object != nullptr ? static_cast<T*>(gst_object_ref(object)) : nullptr);
}
// A new element of the factory with its floating reference sunk, so that the handle owns it; a
// bin it is added to takes a reference of its own. Null when the factory is not installed.
inline GstElementPtr MakeElement(const char* factory) {
    GstElement* element = gst_element_factory_make(factory, nullptr);
    return GstElementPtr(element != nullptr ? GST_ELEMENT(gst_object_ref_sink(element)) : nullptr);
}
inline GstCapsPtr RefCaps(GstCaps* caps) {
    return GstCapsPtr(caps != nullptr ? gst_caps_ref(caps) : nullptr);
}

// Mapped buffer memory, unmapped when the object goes away.
class MappedBuffer {
  public:
    explicit MappedBuffer(GstBuffer* buffer) : buffer_(buffer) {
        mapped_ = buffer_ != nullptr && gst_buffer_map(buffer_, &info_, GST_MAP_READ);
    }
    ~MappedBuffer() {
        if (mapped_) {
            gst_buffer_unmap(buffer_, &info_);
        }
    }
    MappedBuffer(const MappedBuffer&) = delete;
    MappedBuffer& operator=(const MappedBuffer&) = delete;
    MappedBuffer(MappedBuffer&&) = delete;
    MappedBuffer& operator=(MappedBuffer&&) = delete;

    bool ok() const { return mapped_; }
    const guint8* data() const { return info_.data; }
    gsize size() const { return info_.size; }

  private:
    GstBuffer* buffer_;
    GstMapInfo info_{};
    bool mapped_ = false;
};

}  // namespace vantor
