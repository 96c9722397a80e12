#include "overlay/template_opening.h"

#include <algorithm>

OpeningRect TransparentBounds(const QImage& scratch, int alpha_threshold) {
    const QImage argb =
        scratch.format() == QImage::Format_ARGB32 ? scratch : scratch.convertToFormat(QImage::Format_ARGB32);
    const int w = argb.width();
    const int h = argb.height();
    int min_x = w;
    int max_x = -1;
    int min_y = h;
    int max_y = -1;
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            if (qAlpha(line[x]) <= alpha_threshold) {
                min_x = std::min(min_x, x);
                max_x = std::max(max_x, x);
                min_y = std::min(min_y, y);
                max_y = std::max(max_y, y);
            }
        }
    }
    if (max_x < 0) {
        return {};
    }
    if (max_x + 2 < w) {
        max_x += 2;
    }
    if (min_x - 2 > 0) {
        min_x -= 2;
    }
    if (max_y + 2 < h) {
        max_y += 2;
    }
    if (min_y - 2 > 0) {
        min_y -= 2;
    }
    return {min_x, min_y, max_x, max_y};
}

namespace {

// Places a box of length `box` along one axis over an opening [low, low + open) of an overlay
// `extent` long; may shrink the box when it is longer than the overlay.
int PlaceCovering(int low, int open, int extent, int& box) {
    if (low + box > extent) {
        if (box > extent) {
            box = extent;
            return 0;
        }
        return extent - box;
    }
    const int d = (box - open) / 2;
    return d > low ? 0 : low - d;
}

}  // namespace

OpeningRect FitCameraToOpening(const OpeningRect& bounds, int w, int h, int camera_w, int camera_h) {
    const int ow = bounds.right - bounds.left;
    const int oh = bounds.bottom - bounds.top;
    int x = 0;
    int y = 0;
    int box_w = 0;
    int box_h = 0;
    if (ow < camera_w && oh < camera_h) {
        box_w = camera_w;
        box_h = camera_h;
        x = bounds.left + camera_w > w ? w - camera_w : bounds.left;
        y = bounds.top + camera_h > h ? h - camera_h : bounds.top;
    } else {
        if (camera_h > 0 && oh > 0 &&
            static_cast<double>(camera_w) / camera_h <= static_cast<double>(ow) / oh) {
            box_w = ow;
            box_h = camera_w > 0 ? ow * camera_h / camera_w : oh;
        } else {
            box_h = oh;
            box_w = camera_h > 0 ? oh * camera_w / camera_h : ow;
        }
        y = PlaceCovering(bounds.top, oh, h, box_h);
        x = PlaceCovering(bounds.left, ow, w, box_w);
    }
    if (x < 1) {
        x = 0;
    }
    if (y < 1) {
        y = 0;
    }
    if (x + box_w > w) {
        box_w = w - x;
    }
    if (y + box_h > h) {
        box_h = h - y;
    }
    return {x, y, x + box_w, y + box_h};
}

OpeningRect FindTemplateOpening(const QImage& scratch, int alpha_threshold, int camera_w, int camera_h) {
    if (scratch.isNull() || !scratch.hasAlphaChannel() || scratch.depth() != 32) {
        return {};
    }
    const OpeningRect bounds = TransparentBounds(scratch, alpha_threshold);
    return FitCameraToOpening(bounds, scratch.width(), scratch.height(), camera_w, camera_h);
}
