#pragma once
// Phone-like photos for tests: a JPEG with an EXIF orientation tag, written the way cameras write
// it (an APP1 segment right after the start-of-image marker), and a quadrant-marked picture whose
// corners tell how it was turned.
#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QTransform>
#include <cstdint>
#include <string>

namespace vantor_test {

// The APP1 payload: "Exif\0\0" and a TIFF structure whose first directory holds the orientation
// (a SHORT) between two other tags, in big-endian ("MM") or little-endian ("II") order.
inline QByteArray ExifPayload(int orientation, bool big_endian = true) {
    QByteArray tiff;
    auto put16 = [&](std::uint16_t v) {
        if (big_endian) {
            tiff.append(static_cast<char>(v >> 8)).append(static_cast<char>(v & 0xFF));
        } else {
            tiff.append(static_cast<char>(v & 0xFF)).append(static_cast<char>(v >> 8));
        }
    };
    auto put32 = [&](std::uint32_t v) {
        if (big_endian) {
            put16(static_cast<std::uint16_t>(v >> 16));
            put16(static_cast<std::uint16_t>(v & 0xFFFF));
        } else {
            put16(static_cast<std::uint16_t>(v & 0xFFFF));
            put16(static_cast<std::uint16_t>(v >> 16));
        }
    };
    auto entry = [&](std::uint16_t tag, std::uint16_t type, std::uint32_t count, std::uint32_t value) {
        put16(tag);
        put16(type);
        put32(count);
        if (type == 3 && count == 1) {
            put16(static_cast<std::uint16_t>(value));  // a SHORT sits in the first half of the field
            put16(0);
        } else {
            put32(value);
        }
    };
    tiff.append(big_endian ? "MM" : "II");
    put16(42);
    put32(8);  // the first directory follows the header
    put16(3);
    entry(0x010F, 2, 1, 0);  // make (empty text)
    entry(0x0112, 3, 1, static_cast<std::uint32_t>(orientation));
    entry(0x011A, 5, 1, 0);  // x resolution (offset, not followed)
    put32(0);                // no next directory
    return QByteArray("Exif\0\0", 6) + tiff;
}

// `jpeg` with an EXIF segment carrying `orientation` inserted after its start-of-image marker.
inline QByteArray WithExifOrientation(const QByteArray& jpeg, int orientation, bool big_endian = true) {
    const QByteArray payload = ExifPayload(orientation, big_endian);
    const int length = static_cast<int>(payload.size()) + 2;
    QByteArray segment("\xFF\xE1", 2);
    segment.append(static_cast<char>(length >> 8)).append(static_cast<char>(length & 0xFF)).append(payload);
    return jpeg.left(2) + segment + jpeg.mid(2);
}

// A picture whose top-left quadrant is red, top-right green, bottom-left blue and bottom-right
// yellow, so that a corner's colour tells how the picture was turned.
inline QImage Quadrants(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    const int w = width / 2;
    const int h = height / 2;
    painter.fillRect(0, 0, w, h, QColor(220, 20, 20));
    painter.fillRect(w, 0, width - w, h, QColor(20, 200, 20));
    painter.fillRect(0, h, w, height - h, QColor(20, 20, 220));
    painter.fillRect(w, h, width - w, height - h, QColor(230, 230, 20));
    return image;
}

inline QByteArray JpegBytes(const QImage& image, int quality = 90) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", quality);
    return bytes;
}

// An upright scene stored as a phone stores it under `orientation` (1, 3, 6 or 8: held upright,
// upside down or turned either way): the pixels turned back, and the tag that says so.
inline QByteArray PhonePhotoJpeg(const QImage& upright, int orientation) {
    const int stored_turn = orientation == 3 ? 180 : orientation == 6 ? 270 : orientation == 8 ? 90 : 0;
    const QByteArray jpeg = JpegBytes(upright.transformed(QTransform().rotate(stored_turn)));
    return orientation == 1 ? jpeg : WithExifOrientation(jpeg, orientation);
}

// The colours of the picture's corners, `inset` pixels in, clockwise from the top left: R, G, B or Y
// for Quadrants' colours, '?' for anything else.
inline std::string CornerColours(const QImage& image, int inset) {
    auto name = [&](int x, int y) {
        const QColor c = image.pixelColor(x, y);
        if (c.red() > 150 && c.green() > 150) {
            return 'Y';
        }
        return c.red() > 150 ? 'R' : c.green() > 150 ? 'G' : c.blue() > 150 ? 'B' : '?';
    };
    const int right = image.width() - 1 - inset;
    const int bottom = image.height() - 1 - inset;
    return {name(inset, inset), name(right, inset), name(right, bottom), name(inset, bottom)};
}

}  // namespace vantor_test
