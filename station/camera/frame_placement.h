#pragma once
// Where a frame goes in the preview: the display rectangle (x, y, w, h) in the preview's client
// coordinates and the three drawing rules.
#include <QRect>

namespace vantor::camera {

struct DisplayRect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
};

// Part of the frame to draw (top-left origin) and where it lands. An empty source draws nothing.
struct FramePlacement {
    QRect source;
    QRect target;
};

// The frame's size equals the rectangle's: 1:1. The rectangle is narrower or lower than the frame:
// 1:1 only the rectangle's size from the frame's top-left corner (cut, never shrunk; a 0 x 0
// rectangle draws nothing). Otherwise the whole frame is stretched to w x h.
FramePlacement PlaceFrame(int frameWidth, int frameHeight, const DisplayRect& rect);

}  // namespace vantor::camera
