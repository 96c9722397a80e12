#pragma once
// Frame buffer operations of the station's camera object. Frames are packed 24-bit pixels
// (blue, green, red), bottom row first, rows of width x 3 bytes back to back.
#include <QImage>
#include <cstdint>

namespace vantor::camera {

// Nearest-neighbour resampling: output pixel (x, y) takes source pixel
// (trunc(x * (sourceWidth / width)), trunc(y * (sourceHeight / height))), each ratio in single precision.
void ResampleNearest(const std::uint8_t* source, int sourceWidth, int sourceHeight, std::uint8_t* destination,
                     int width, int height);

// The frame as an image with the top row first (image rows are padded as Qt needs).
QImage FrameToImage(const std::uint8_t* frame, int width, int height);

}  // namespace vantor::camera
