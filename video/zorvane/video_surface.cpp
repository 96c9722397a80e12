#include "video_surface.h"

namespace zorvane {

VideoSurface::VideoSurface(QWidget* parent, std::function<void()> on_paint)
    : QWidget(parent), on_paint_(std::move(on_paint)) {
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_PaintOnScreen);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void VideoSurface::paintEvent(QPaintEvent*) {
    if (on_paint_) {
        on_paint_();
    }
}

}  // namespace zorvane
