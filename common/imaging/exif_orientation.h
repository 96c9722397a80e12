#pragma once
// The EXIF orientation of a photo: how the stored pixels must be turned to stand upright. A phone
// held upright stores its picture sideways with orientation 6 (or 8), one held upside down with 3;
// every viewer turns them, and so does the wall. CPU only, any thread.
#include <QImage>
#include <QSize>
#include <cstddef>
#include "tarquel_export.h"

namespace vantor {

// The orientations as EXIF numbers them; 1 is "as stored".
inline constexpr int kExifUpright = 1;

// The orientation tag of an APP1 segment's payload ("Exif\0\0" and the TIFF structure after it).
// kExifUpright when the payload is not EXIF, is damaged or carries no valid orientation.
int ExifOrientationOf(const unsigned char* payload, std::size_t size);

// True for the orientations that swap width and height (5 to 8).
TARQUEL_API bool SwapsSides(int orientation);

// The size of a stored picture of `stored` pixels once turned upright.
TARQUEL_API QSize UprightSize(QSize stored, int orientation);

// The stored picture turned upright (mirrored and rotated as the orientation says).
TARQUEL_API QImage TurnUpright(const QImage& stored, int orientation);

}  // namespace vantor
