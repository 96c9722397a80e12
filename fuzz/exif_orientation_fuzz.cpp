// The EXIF orientation of a photo: any APP1 payload, as a phone or a damaged file gives it.
//
// Input: the payload.
#include <QSize>
#include <cstdint>

#include "fuzz_support.h"
#include "imaging/exif_orientation.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int orientation = vantor::ExifOrientationOf(data, size);
    FUZZ_CHECK(orientation >= 1 && orientation <= 8);
    const QSize upright = vantor::UprightSize(QSize(4, 3), orientation);
    FUZZ_CHECK(upright == (vantor::SwapsSides(orientation) ? QSize(3, 4) : QSize(4, 3)));
    return 0;
}
