#include "camera/pixel_formats.h"

namespace vantor::camera {

// RGB24 frames are stored blue, green, red (GStreamer's BGR); RGB32 likewise with a fourth byte.
// Y41P (Brooktree packed 4:1:1) and Y211 have no GStreamer equivalent and are skipped.
const std::array<KnownPixelFormat, kKnownPixelFormatCount>& KnownPixelFormats() {
    static constexpr std::array<KnownPixelFormat, kKnownPixelFormatCount> formats = {{
        {"RGB24", "BGR"},
        {"RGB32", "BGRx"},
        {"RGB555", "RGB15"},
        {"RGB565", "RGB16"},
        {"YUY2", "YUY2"},
        {"YVYU", "YVYU"},
        {"YUYV", "YUY2"},
        {"IYUV", "I420"},
        {"UYVY", "UYVY"},
        {"YV12", "YV12"},
        {"YVU9", "YVU9"},
        {"Y411", "IYU1"},
        {"Y41P", ""},
        {"Y211", ""},
        {"AYUV", "AYUV"},
        {"Y800", "GRAY8"},
        {"Y8", "GRAY8"},
        {"GREY", "GRAY8"},
    }};
    return formats;
}

std::string_view PixelFormatName(std::string_view gstFormat) {
    for (const KnownPixelFormat& format : KnownPixelFormats()) {
        if (!format.gstFormat.empty() && format.gstFormat == gstFormat) {
            return format.name;
        }
    }
    return "OTHER";
}

}  // namespace vantor::camera
