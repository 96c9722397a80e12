#include "imaging/exif_orientation.h"

#include <QTransform>
#include <cstdint>
#include <cstring>

namespace vantor {
namespace {

constexpr unsigned char kExifHeader[] = {'E', 'x', 'i', 'f', 0, 0};
constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kShortType = 3;
constexpr std::size_t kEntrySize = 12;

// Reads the TIFF structure in its own byte order, never past its end.
class TiffReader {
  public:
    TiffReader(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}

    bool ReadByteOrder() {
        if (size_ < 8) {
            return false;
        }
        if (data_[0] == 'I' && data_[1] == 'I') {
            big_endian_ = false;
        } else if (data_[0] == 'M' && data_[1] == 'M') {
            big_endian_ = true;
        } else {
            return false;
        }
        std::uint16_t magic = 0;
        return Read16(2, &magic) && magic == 42;
    }

    bool Read16(std::size_t at, std::uint16_t* value) const {
        if (at > size_ || size_ - at < 2) {
            return false;
        }
        const unsigned char* p = data_ + at;
        *value = big_endian_ ? static_cast<std::uint16_t>(p[0] << 8 | p[1])
                             : static_cast<std::uint16_t>(p[1] << 8 | p[0]);
        return true;
    }

    bool Read32(std::size_t at, std::uint32_t* value) const {
        std::uint16_t first = 0;
        std::uint16_t second = 0;
        if (!Read16(at, &first) || !Read16(at + 2, &second)) {
            return false;
        }
        *value = big_endian_ ? (std::uint32_t{first} << 16 | second) : (std::uint32_t{second} << 16 | first);
        return true;
    }

  private:
    const unsigned char* data_;
    std::size_t size_;
    bool big_endian_ = false;
};

}  // namespace

int ExifOrientationOf(const unsigned char* payload, std::size_t size) {
    if (payload == nullptr || size < sizeof kExifHeader ||
        std::memcmp(payload, kExifHeader, sizeof kExifHeader) != 0) {
        return kExifUpright;
    }
    TiffReader tiff(payload + sizeof kExifHeader, size - sizeof kExifHeader);
    std::uint32_t first_directory = 0;
    std::uint16_t entries = 0;
    if (!tiff.ReadByteOrder() || !tiff.Read32(4, &first_directory) ||
        !tiff.Read16(first_directory, &entries)) {
        return kExifUpright;
    }
    for (std::size_t i = 0; i < entries; ++i) {
        const std::size_t entry = std::size_t{first_directory} + 2 + i * kEntrySize;
        std::uint16_t tag = 0;
        std::uint16_t type = 0;
        std::uint32_t count = 0;
        std::uint16_t value = 0;
        if (!tiff.Read16(entry, &tag) || !tiff.Read16(entry + 2, &type) || !tiff.Read32(entry + 4, &count) ||
            !tiff.Read16(entry + 8, &value)) {
            return kExifUpright;  // the directory runs past the segment
        }
        if (tag == kOrientationTag) {
            const bool valid = type == kShortType && count == 1 && value >= 1 && value <= 8;
            return valid ? value : kExifUpright;
        }
    }
    return kExifUpright;
}

bool SwapsSides(int orientation) {
    return orientation >= 5 && orientation <= 8;
}

QSize UprightSize(QSize stored, int orientation) {
    return SwapsSides(orientation) ? stored.transposed() : stored;
}

QImage TurnUpright(const QImage& stored, int orientation) {
    // Orientations 2, 4, 5 and 7 are mirrored: mirror first, then turn like 1, 3, 8 and 6.
    const bool mirrored = orientation == 2 || orientation == 4 || orientation == 5 || orientation == 7;
    int degrees = 0;
    switch (orientation) {
        case 3:
        case 4:
            degrees = 180;
            break;
        case 5:
        case 8:
            degrees = 270;
            break;
        case 6:
        case 7:
            degrees = 90;
            break;
        default:
            break;
    }
    QImage image = mirrored ? stored.mirrored(true, false) : stored;
    if (degrees == 0) {
        return image;
    }
    return image.transformed(QTransform().rotate(degrees));
}

}  // namespace vantor
