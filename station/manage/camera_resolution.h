#pragma once
// The camera resolutions the management dialog offers, in list order, and their settings.
#include <array>

class CIni;

namespace travenor {

struct CameraResolution {
    const char16_t* text;
    int width;
    int height;
};

inline constexpr std::array<CameraResolution, 4> kCameraResolutions{{
    {u"640*480", 640, 480},
    {u"800*600", 800, 600},
    {u"1024*768", 1024, 768},
    {u"1280*720", 1280, 720},
}};

// The list position shown for a configured width: the entry of that width, else the first.
int ResolutionIndexForWidth(int width);

// Writes the entry's width and height into the settings file, both in one replacement of the
// file; true when they were written.
bool WriteCameraResolution(CIni& config, int index);

}  // namespace travenor
