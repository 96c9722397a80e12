#include "camera/capture_caps.h"
#include "camera/pixel_formats.h"

namespace vantor::camera {
namespace {

constexpr int kLargestSize = 32767;

// The spans one size field offers: a single value, a stepped range, or a list of either.
std::vector<SizeRange> SpansOf(const GValue* value) {
    std::vector<SizeRange> spans;
    if (value == nullptr) {
        spans.push_back(SizeRange{1, kLargestSize, 1});
    } else if (G_VALUE_HOLDS_INT(value)) {
        const int v = g_value_get_int(value);
        spans.push_back(SizeRange{v, v, 1});
    } else if (GST_VALUE_HOLDS_INT_RANGE(value)) {
        spans.push_back(SizeRange{gst_value_get_int_range_min(value), gst_value_get_int_range_max(value),
                                  gst_value_get_int_range_step(value)});
    } else if (GST_VALUE_HOLDS_LIST(value)) {
        for (guint i = 0; i < gst_value_list_get_size(value); ++i) {
            const std::vector<SizeRange> inner = SpansOf(gst_value_list_get_value(value, i));
            spans.insert(spans.end(), inner.begin(), inner.end());
        }
    }
    return spans;
}

GstCapsPtr SingleStructureCaps(const GstStructure* structure) {
    GstCapsPtr caps(gst_caps_new_empty());
    gst_caps_append_structure(caps.get(), gst_structure_copy(structure));
    return caps;
}

GstCapsPtr CapsAtSize(const GstCaps* format, int width, int height) {
    GstCapsPtr caps(gst_caps_copy(format));
    gst_caps_set_simple(caps.get(), "width", G_TYPE_INT, width, "height", G_TYPE_INT, height, nullptr);
    return FixCaps(caps.get());
}

}  // namespace

std::vector<CaptureCapability> CapabilitiesOf(const GstCaps* device) {
    std::vector<CaptureCapability> capabilities;
    if (device == nullptr || gst_caps_is_any(device)) {
        return capabilities;
    }
    for (guint i = 0; i < gst_caps_get_size(device); ++i) {
        const GstStructure* structure = gst_caps_get_structure(device, i);
        for (const SizeRange& w : SpansOf(gst_structure_get_value(structure, "width"))) {
            for (const SizeRange& h : SpansOf(gst_structure_get_value(structure, "height"))) {
                SizeRange sizes{w.minWidth, w.maxWidth, w.widthStep, h.minWidth, h.maxWidth, h.widthStep};
                capabilities.push_back(CaptureCapability{SingleStructureCaps(structure), sizes});
            }
        }
    }
    return capabilities;
}

GstCapsPtr ExactSizeCaps(const GstCaps* device, int width, int height, std::string* formatName) {
    if (device == nullptr) {
        return nullptr;
    }
    for (const KnownPixelFormat& format : KnownPixelFormats()) {
        if (format.gstFormat.empty()) {
            continue;
        }
        const std::string gstFormat(format.gstFormat);
        GstCapsPtr wanted(gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, gstFormat.c_str(),
                                              "width", G_TYPE_INT, width, "height", G_TYPE_INT, height,
                                              nullptr));
        GstCapsPtr offered(gst_caps_intersect(const_cast<GstCaps*>(device), wanted.get()));
        if (!gst_caps_is_empty(offered.get())) {
            if (formatName != nullptr) {
                *formatName = std::string(format.name);
            }
            return FixCaps(offered.get());
        }
    }
    return nullptr;
}

GstCapsPtr ClosestSizeCaps(const GstCaps* device, int width, int height) {
    const std::vector<CaptureCapability> capabilities = CapabilitiesOf(device);
    std::vector<SizeRange> ranges;
    ranges.reserve(capabilities.size());
    for (const CaptureCapability& capability : capabilities) {
        ranges.push_back(capability.sizes);
    }
    const SizeChoice choice = FindClosestSize(ranges, width, height);
    if (choice.capability < 0) {
        return nullptr;
    }
    return CapsAtSize(capabilities[static_cast<std::size_t>(choice.capability)].format.get(), choice.width,
                      choice.height);
}

GstCapsPtr DefaultCaps(const GstCaps* device) {
    return FixCaps(device);
}

GstCapsPtr FixCaps(const GstCaps* caps) {
    if (caps == nullptr || gst_caps_is_any(caps) || gst_caps_is_empty(caps)) {
        return nullptr;
    }
    GstCapsPtr fixed(gst_caps_new_empty());
    GstStructure* first = gst_structure_copy(gst_caps_get_structure(caps, 0));
    if (gst_structure_has_field(first, "framerate")) {
        gst_structure_fixate_field_nearest_fraction(first, "framerate", 30, 1);
    }
    gst_structure_fixate(first);
    gst_caps_append_structure(fixed.get(), first);
    return fixed;
}

CapsSize SizeOfCaps(const GstCaps* caps) {
    CapsSize size;
    if (caps == nullptr || gst_caps_is_empty(caps) || gst_caps_is_any(caps)) {
        return size;
    }
    const GstStructure* structure = gst_caps_get_structure(caps, 0);
    gst_structure_get_int(structure, "width", &size.width);
    gst_structure_get_int(structure, "height", &size.height);
    const gchar* format = gst_structure_get_string(structure, "format");
    size.formatName = std::string(PixelFormatName(format != nullptr ? format : ""));
    return size;
}

}  // namespace vantor::camera
