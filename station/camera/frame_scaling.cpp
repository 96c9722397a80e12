#include "camera/frame_scaling.h"
#include <algorithm>
#include <cstring>
#include <vector>

namespace vantor::camera {
namespace {

constexpr int kBytesPerPixel = 3;

// The source index for every output index, by the single-precision ratio.
std::vector<int> SourceIndices(int sourceCount, int count) {
    std::vector<int> indices(static_cast<std::size_t>(std::max(count, 0)));
    const float ratio = static_cast<float>(sourceCount) / static_cast<float>(count);
    for (int i = 0; i < count; ++i) {
        indices[static_cast<std::size_t>(i)] =
            std::min(static_cast<int>(static_cast<float>(i) * ratio), sourceCount - 1);
    }
    return indices;
}

}  // namespace

void ResampleNearest(const std::uint8_t* source, int sourceWidth, int sourceHeight, std::uint8_t* destination,
                     int width, int height) {
    if (sourceWidth <= 0 || sourceHeight <= 0 || width <= 0 || height <= 0) {
        return;
    }
    const std::vector<int> columns = SourceIndices(sourceWidth, width);
    const std::vector<int> rows = SourceIndices(sourceHeight, height);
    const std::size_t sourceRowBytes = static_cast<std::size_t>(sourceWidth) * kBytesPerPixel;
    const std::size_t rowBytes = static_cast<std::size_t>(width) * kBytesPerPixel;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* sourceRow =
            source + sourceRowBytes * static_cast<std::size_t>(rows[static_cast<std::size_t>(y)]);
        std::uint8_t* out = destination + rowBytes * static_cast<std::size_t>(y);
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* pixel =
                sourceRow + static_cast<std::size_t>(columns[static_cast<std::size_t>(x)]) * kBytesPerPixel;
            out[0] = pixel[0];
            out[1] = pixel[1];
            out[2] = pixel[2];
            out += kBytesPerPixel;
        }
    }
}

QImage FrameToImage(const std::uint8_t* frame, int width, int height) {
    if (frame == nullptr || width <= 0 || height <= 0) {
        return QImage();
    }
    QImage image(width, height, QImage::Format_BGR888);
    const std::size_t rowBytes = static_cast<std::size_t>(width) * kBytesPerPixel;
    for (int y = 0; y < height; ++y) {
        std::memcpy(image.scanLine(y), frame + rowBytes * static_cast<std::size_t>(height - 1 - y), rowBytes);
    }
    return image;
}

}  // namespace vantor::camera
