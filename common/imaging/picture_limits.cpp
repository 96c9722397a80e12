#include "imaging/picture_limits.h"

#include <QImageReader>

namespace vantor {

bool PicturePixelsAllowed(std::int64_t width, std::int64_t height) {
    return width > 0 && height > 0 && width <= kMaxPicturePixels / height;
}

int QtAllocationLimitMegabytes() {
    constexpr std::int64_t kMegabyte = 1 << 20;
    return static_cast<int>((4 * kMaxPicturePixels + kMegabyte - 1) / kMegabyte);
}

void LimitQtPictureReading() {
    QImageReader::setAllocationLimit(QtAllocationLimitMegabytes());
}

}  // namespace vantor
