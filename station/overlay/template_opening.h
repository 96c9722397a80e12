#pragma once
// Where the live camera picture goes under a template: the template's transparent opening, fitted
// to the camera's frame. All coordinates are overlay client coordinates.
#include <QImage>

struct OpeningRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool IsEmpty() const { return left == right && top == bottom; }
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    friend bool operator==(const OpeningRect&, const OpeningRect&) = default;
};

// Bounding box of the pixels whose alpha is at most the threshold, each side widened by 2 when it
// stays inside the picture; all zero when no pixel qualifies.
OpeningRect TransparentBounds(const QImage& scratch, int alpha_threshold);

// The camera rectangle for an opening of a w x h overlay and a camera_w x camera_h camera: the
// camera's own size at the opening's corner when the opening is smaller in both directions, else a
// box of the camera's proportions that covers the opening, kept inside the overlay.
OpeningRect FitCameraToOpening(const OpeningRect& bounds, int w, int h, int camera_w, int camera_h);

// The whole search on a template already drawn at the overlay's size. A picture without an alpha
// channel has no opening: the result is empty.
OpeningRect FindTemplateOpening(const QImage& scratch, int alpha_threshold, int camera_w, int camera_h);
