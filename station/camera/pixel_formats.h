#pragma once
// The capture formats the device layer knows, in the order in which a requested size is tried,
// with the GStreamer video format each stands for (none when GStreamer has no name for it).
#include <array>
#include <string_view>

namespace vantor::camera {

struct KnownPixelFormat {
    std::string_view name;       // as diagnostics print it: "RGB24", "YUY2", ...
    std::string_view gstFormat;  // GStreamer's format string, empty when there is none
};

inline constexpr int kKnownPixelFormatCount = 18;
const std::array<KnownPixelFormat, kKnownPixelFormatCount>& KnownPixelFormats();

// The known name for a GStreamer format string ("BGR" gives "RGB24"); "OTHER" for the rest.
std::string_view PixelFormatName(std::string_view gstFormat);

}  // namespace vantor::camera
