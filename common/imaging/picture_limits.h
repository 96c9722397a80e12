#pragma once
// How large a picture the programs agree to decode. Every decoder checks the size a file's header
// claims before it allocates anything for the pixels, so that a file of a few hundred bytes that
// claims a picture of 63040 x 15663 is refused at once instead of taking gigabytes.
#include <cstdint>

namespace vantor {

// Twice the photo of a 50-megapixel camera (8688 x 5792); 400 MB as 32-bit pixels.
inline constexpr std::int64_t kMaxPicturePixels = 100'000'000;

// The most a picture file may have to be read whole: an uncompressed 32-bit picture of
// kMaxPicturePixels and a generous header.
inline constexpr std::uint64_t kMaxPictureFileBytes = 4 * kMaxPicturePixels + (1 << 20);

// The most libjpeg may allocate for one picture: the coefficients of a four-component picture of
// kMaxPicturePixels kept whole (two bytes each, what a progressive file or a check of all the
// coded data holds) and room for the rest.
inline constexpr long kMaxJpegDecoderBytes = 8 * kMaxPicturePixels + (64L << 20);

// True when a picture of that size may be decoded: both sides positive and at most
// kMaxPicturePixels pixels.
bool PicturePixelsAllowed(std::int64_t width, std::int64_t height);

// Qt's image readers refuse a picture whose pixels would need more than this many megabytes:
// 32-bit pixels of kMaxPicturePixels.
int QtAllocationLimitMegabytes();

// Gives Qt's image readers that limit (it is one setting for the whole process); done once when
// Tarquel is loaded, before any picture is read.
void LimitQtPictureReading();

}  // namespace vantor
