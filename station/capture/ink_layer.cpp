#include "capture/ink_layer.h"

#include <cmath>
#include "pen/alpha_pen.h"

InkLayer::InkLayer() = default;
InkLayer::~InkLayer() = default;

void InkLayer::SetStill(const QImage& still) {
    pen_.reset();
    strokes_.clear();
    ratio_ = still.isNull() ? 1.0 : still.devicePixelRatio();
    still_ = still.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    still_.setDevicePixelRatio(1.0);
}

void InkLayer::Clear() {
    pen_.reset();
    strokes_.clear();
    still_ = QImage();
    cache_ = QImage();
    ratio_ = 1.0;
}

void InkLayer::ClearStrokes() {
    pen_.reset();
    strokes_.clear();
}

QRect InkLayer::Add(const StrokeSegment& segment) {
    // The cache first: a rebuild replays the list, which must not hold this segment yet.
    EnsureCache();
    strokes_.push_back(segment);
    if (pen_) {
        DrawStrokeSegment(cache_, *pen_, InPixels(segment));
    }
    const int reach = segment.width * 3 + 2;
    return QRect(QPoint(segment.x1, segment.y1), QPoint(segment.x2, segment.y2))
        .normalized()
        .adjusted(-reach, -reach, reach, reach);
}

const QImage& InkLayer::Picture() {
    EnsureCache();
    return cache_;
}

void InkLayer::EnsureCache() {
    if (pen_ || still_.isNull()) {
        return;
    }
    cache_ = still_.copy();
    pen_ = std::make_unique<CAlphaPen>(&cache_);
    for (const StrokeSegment& segment : strokes_) {
        DrawStrokeSegment(cache_, *pen_, InPixels(segment));
    }
}

StrokeSegment InkLayer::InPixels(const StrokeSegment& segment) const {
    if (ratio_ == 1.0) {
        return segment;
    }
    const auto scale = [this](int v) { return static_cast<int>(std::lround(v * ratio_)); };
    StrokeSegment scaled = segment;
    scaled.x1 = scale(segment.x1);
    scaled.y1 = scale(segment.y1);
    scaled.x2 = scale(segment.x2);
    scaled.y2 = scale(segment.y2);
    scaled.width = std::max(1, scale(segment.width));
    return scaled;
}
