#pragma once
// Owning handles for GStreamer objects: each releases its one reference when it goes away.
// Adopt a reference the caller already owns with the constructor; take a new one with Ref().
#include <gst/gst.h>
#include <memory>

namespace vantor::camera {

struct GstObjectUnref {
    void operator()(gpointer object) const {
        if (object != nullptr) {
            gst_object_unref(object);
        }
    }
};
struct GstCapsUnref {
    void operator()(GstCaps* caps) const {
        if (caps != nullptr) {
            gst_caps_unref(caps);
        }
    }
};
struct GstSampleUnref {
    void operator()(GstSample* sample) const {
        if (sample != nullptr) {
            gst_sample_unref(sample);
        }
    }
};
struct GstStructureFree {
    void operator()(GstStructure* structure) const {
        if (structure != nullptr) {
            gst_structure_free(structure);
        }
    }
};
struct GErrorFree {
    void operator()(GError* error) const {
        if (error != nullptr) {
            g_error_free(error);
        }
    }
};
struct GFreeChars {
    void operator()(gchar* text) const { g_free(text); }
};
struct GstMessageUnref {
    void operator()(GstMessage* message) const {
        if (message != nullptr) {
            gst_message_unref(message);
        }
    }
};

using GstElementPtr = std::unique_ptr<GstElement, GstObjectUnref>;
using GstPipelinePtr = std::unique_ptr<GstElement, GstObjectUnref>;  // a GstPipeline, kept as element
using GstBusPtr = std::unique_ptr<GstBus, GstObjectUnref>;
using GstDeviceMonitorPtr = std::unique_ptr<GstDeviceMonitor, GstObjectUnref>;
using GstDevicePtr = std::unique_ptr<GstDevice, GstObjectUnref>;
using GstPadPtr = std::unique_ptr<GstPad, GstObjectUnref>;
using GstCapsPtr = std::unique_ptr<GstCaps, GstCapsUnref>;
using GstSamplePtr = std::unique_ptr<GstSample, GstSampleUnref>;
using GstStructurePtr = std::unique_ptr<GstStructure, GstStructureFree>;
using GErrorPtr = std::unique_ptr<GError, GErrorFree>;
using GCharsPtr = std::unique_ptr<gchar, GFreeChars>;
using GstMessagePtr = std::unique_ptr<GstMessage, GstMessageUnref>;

// A new reference to an object the caller does not own.
template <typename T>
std::unique_ptr<T, GstObjectUnref> RefObject(T* object) {
    return std::unique_ptr<T, GstObjectUnref>(object != nullptr ? static_cast<T*>(gst_object_ref(object))
                                                                : nullptr);
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

}  // namespace vantor::camera
