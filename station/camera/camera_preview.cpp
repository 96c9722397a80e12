#include "camera/camera_preview.h"
#include <QPainter>

using vantor::camera::FramePlacement;
using vantor::camera::PreviewFrame;

CameraPreview::CameraPreview(QWidget* parent) : QWidget(parent) {}

QSize CameraPreview::ClientSize() const {
    return size();
}

void CameraPreview::PresentFrame(PreviewFrame frame) {
    {
        std::lock_guard lock(frameMutex_);
        pending_ = std::move(frame);
        ++presented_;
    }
    QMetaObject::invokeMethod(this, &CameraPreview::ShowPending, Qt::QueuedConnection);
}

void CameraPreview::ShowPending() {
    {
        std::lock_guard lock(frameMutex_);
        if (pending_.image.isNull()) {
            return;
        }
        shown_ = std::move(pending_);
        pending_ = PreviewFrame{};
    }
    update();
    emit frameShown();
}

void CameraPreview::Clear() {
    {
        std::lock_guard lock(frameMutex_);
        pending_ = PreviewFrame{};
    }
    shown_ = PreviewFrame{};
    update();
}

QImage CameraPreview::ShownFrame() const {
    return shown_.image;
}

long long CameraPreview::PresentedFrames() const {
    std::lock_guard lock(frameMutex_);
    return presented_;
}

void CameraPreview::paintEvent(QPaintEvent*) {
    if (shown_.image.isNull()) {
        return;
    }
    const FramePlacement placement =
        vantor::camera::PlaceFrame(shown_.image.width(), shown_.image.height(), shown_.rect);
    if (placement.source.isEmpty()) {
        return;
    }
    QPainter painter(this);
    painter.drawImage(placement.target, shown_.image, placement.source);
}
