#include "camera/frame_placement.h"
#include <algorithm>

namespace vantor::camera {

FramePlacement PlaceFrame(int frameWidth, int frameHeight, const DisplayRect& rect) {
    if (frameWidth <= 0 || frameHeight <= 0 || rect.w <= 0 || rect.h <= 0) {
        return FramePlacement{};
    }
    if (frameWidth == rect.w && frameHeight == rect.h) {
        return FramePlacement{QRect(0, 0, rect.w, rect.h), QRect(rect.x, rect.y, rect.w, rect.h)};
    }
    if (rect.w < frameWidth || rect.h < frameHeight) {
        // The copy never reaches past the frame: what lies outside it stays undrawn.
        const int w = std::min(rect.w, frameWidth);
        const int h = std::min(rect.h, frameHeight);
        return FramePlacement{QRect(0, 0, w, h), QRect(rect.x, rect.y, w, h)};
    }
    return FramePlacement{QRect(0, 0, frameWidth, frameHeight), QRect(rect.x, rect.y, rect.w, rect.h)};
}

}  // namespace vantor::camera
