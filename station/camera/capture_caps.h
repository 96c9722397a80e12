#pragma once
// Choosing what a device is asked to deliver, from the capabilities it declares as GstCaps.
// A caps structure with discrete sizes, lists of sizes or stepped ranges stands for one or more
// capabilities with minimum, maximum and granularity.
#include <gst/gst.h>
#include <string>
#include <vector>
#include "gst_ptr.h"
#include "camera/size_search.h"

namespace vantor::camera {

struct CaptureCapability {
    GstCapsPtr format;  // one structure: media type, pixel format, rate; sizes as the device declared them
    SizeRange sizes;
};

// The capabilities in declaration order; lists of sizes are expanded in their order.
// A structure without a width or height offers every size from 1 to 32767.
std::vector<CaptureCapability> CapabilitiesOf(const GstCaps* device);

// The first known pixel format (in the known order) that the device offers at exactly
// width x height, as fixed caps; null when none is offered. *formatName gets its known name.
GstCapsPtr ExactSizeCaps(const GstCaps* device, int width, int height, std::string* formatName = nullptr);

// The closest-size search over the device's capabilities; the fixed caps of the best pair in
// that capability's format, or null when the device declares nothing to choose from.
GstCapsPtr ClosestSizeCaps(const GstCaps* device, int width, int height);

// What the device delivers when it is not told a size: its first declared format, fixed.
// Null when the device declares nothing specific (any caps).
GstCapsPtr DefaultCaps(const GstCaps* device);

// A fixed version of caps (first structure, rate nearest 30 fps); null for empty or any caps.
GstCapsPtr FixCaps(const GstCaps* caps);

// Size and known format name of fixed caps ("OTHER" for the rest, JPEG included).
struct CapsSize {
    int width = 0;
    int height = 0;
    std::string formatName;
};
CapsSize SizeOfCaps(const GstCaps* caps);

}  // namespace vantor::camera
