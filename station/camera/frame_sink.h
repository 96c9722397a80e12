#pragma once
// What the camera's display thread draws into: the preview of the capture window, or anything
// else that wants the frames ready for painting.
#include <QImage>
#include <QSize>
#include <chrono>
#include "camera/frame_placement.h"

namespace vantor::camera {

struct PreviewFrame {
    QImage image;                                   // the frame buffer, top row first
    DisplayRect rect;                               // where it is to be drawn
    std::chrono::steady_clock::time_point arrived;  // when the device delivered it
};

class FrameSink {
  public:
    virtual ~FrameSink() = default;
    // The client size, read on the thread that opens the camera.
    virtual QSize ClientSize() const = 0;
    // Called on the display thread with each new frame.
    virtual void PresentFrame(PreviewFrame frame) = 0;
};

}  // namespace vantor::camera
