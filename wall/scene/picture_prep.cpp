#include "scene/picture_prep.h"

#include <QBuffer>
#include <QImageReader>
#include <cmath>
#include <optional>
#include "imaging/bmp_complete.h"
#include "imaging/exif_orientation.h"
#include "imaging/jpeg_reduced.h"
#include "imaging/picture_limits.h"
#include "platform/whole_file.h"

namespace halvix {
namespace {

QRgb GlowPixel(int alpha) {
    return (static_cast<QRgb>(alpha) << 24) | kGlowColour;
}

void SetPixel(QImage& image, int x, int y, QRgb colour) {
    reinterpret_cast<QRgb*>(image.scanLine(y))[x] = colour;
}

void PaintBands(QImage& glow, int width, int height) {
    const int a = kGlowWidth;
    for (int j = 0; j < a; ++j) {
        const QRgb colour = GlowPixel(j * kGlowMaxAlpha / a);
        for (int x = a; x < a + width; ++x) {
            SetPixel(glow, x, j, colour);
            SetPixel(glow, x, 2 * a + height - j - 1, colour);
        }
        for (int y = a; y < a + height; ++y) {
            SetPixel(glow, j, y, colour);
            SetPixel(glow, 2 * a + width - j - 1, y, colour);
        }
    }
}

void PaintCorners(QImage& glow, int width, int height) {
    const int a = kGlowWidth;
    const double r = kGlowCornerRadius;
    const int extent = static_cast<int>(r);
    for (int m = 0; m < extent; ++m) {
        for (int n = 0; n < extent; ++n) {
            const int d = static_cast<int>(std::sqrt((r - m) * (r - m) + (r - n) * (r - n)));
            const int alpha = d > r ? 0 : static_cast<int>((r - d) / r * kGlowMaxAlpha);
            const QRgb colour = GlowPixel(alpha);
            SetPixel(glow, m, n, colour);
            SetPixel(glow, 2 * a + width - m - 1, n, colour);
            SetPixel(glow, m, 2 * a + height - n - 1, colour);
            SetPixel(glow, 2 * a + width - m - 1, 2 * a + height - n - 1, colour);
        }
    }
}

// A JPEG the reduced decoder reads: turned upright, refused when its data ends early. With
// DecodeMode::Reduced a large picture is decoded at the smallest scale that still covers the
// fitted size, which is worked out upright and then turned back to the stored sides.
DecodedPicture DecodeJpeg(const QByteArray& bytes, const vantor::JpegHeader& header, QSize box,
                          DecodeMode mode) {
    const QSize upright = vantor::UprightSize(header.stored_size, header.orientation);
    int scale = 8;
    if (mode == DecodeMode::Reduced) {
        const QSize fitted = FitSize(upright, box);
        const bool large = upright.width() >= 2 * fitted.width() && upright.height() >= 2 * fitted.height();
        if (large) {
            scale = vantor::JpegScaleFor(header.stored_size, vantor::UprightSize(fitted, header.orientation));
        }
    }
    QImage stored = vantor::DecodeJpegScaled(bytes, scale, vantor::JpegDamage::Refuse);
    if (stored.isNull()) {
        return {};
    }
    return {vantor::TurnUpright(stored, header.orientation), upright};
}

// Any other picture through the image plugins, which apply an orientation the format records. A
// JPEG gets here only when the reduced decoder cannot read its colours (CMYK): its data is
// checked first, since the plugin would fill a missing end with grey; a BMP's too, since the
// plugin would leave a missing end as uninitialised memory.
DecodedPicture DecodeOther(const QByteArray& bytes) {
    if (vantor::LooksLikeJpegData(bytes) && !vantor::JpegDataComplete(bytes)) {
        return {};
    }
    if (vantor::LooksLikeBmpData(bytes) && !vantor::BmpDataComplete(bytes)) {
        return {};
    }
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    QImage image = reader.read();
    if (image.isNull()) {
        return {};
    }
    const QSize size = image.size();
    return {std::move(image), size};
}

}  // namespace

QSize FitSize(QSize picture, QSize box) {
    const int w = picture.width();
    const int h = picture.height();
    if (w <= 0 || h <= 0) {
        return {};
    }
    const double box_w = box.width();
    const double box_h = box.height();
    const double across = w / box_w;
    const double down = h / box_h;
    if (across < down) {
        return {static_cast<int>(w * box_h / h), box.height()};
    }
    if (across > down) {
        return {box.width(), static_cast<int>(h * box_w / w)};
    }
    return box;
}

QImage AddGlow(const QImage& picture) {
    if (picture.isNull()) {
        return {};
    }
    const int a = kGlowWidth;
    const int width = picture.width();
    const int height = picture.height();
    QImage glow(width + 2 * a, height + 2 * a, QImage::Format_ARGB32);
    if (glow.isNull()) {
        return {};
    }
    glow.fill(Qt::transparent);
    PaintBands(glow, width, height);
    PaintCorners(glow, width, height);
    const QImage source = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        const QRgb* from = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        QRgb* to = reinterpret_cast<QRgb*>(glow.scanLine(y + a)) + a;
        std::copy(from, from + width, to);
    }
    return glow;
}

bool IsGlowless(const std::string& name) {
    return name.find(".png") != std::string::npos || name.find(".PNG") != std::string::npos;
}

DecodedPicture DecodePicture(const std::string& native_path, QSize box, DecodeMode mode) {
    // The path is bytes, opened as listed: a name that is not UTF-8 opens all the same. Only a
    // regular file is read (a FIFO would never end the read, nor would a link to a device).
    const std::optional<std::string> file = vantor::ReadWholeFile(native_path, vantor::kMaxPictureFileBytes);
    if (!file || file->empty()) {
        return {};
    }
    // The decoders copy what they keep, so the file's bytes are read in place.
    const QByteArray bytes = QByteArray::fromRawData(file->data(), static_cast<qsizetype>(file->size()));
    vantor::JpegHeader header;
    if (vantor::ReadJpegHeader(bytes, &header)) {
        return DecodeJpeg(bytes, header, box, mode);
    }
    return DecodeOther(bytes);
}

QImage PreparePicture(const std::string& native_path, const std::string& name, QSize box, DecodeMode mode,
                      float* aspect) {
    const DecodedPicture decoded = DecodePicture(native_path, box, mode);
    if (decoded.image.isNull()) {
        return {};
    }
    if (aspect != nullptr) {
        *aspect =
            static_cast<float>(decoded.full_size.height()) / static_cast<float>(decoded.full_size.width());
    }
    const QSize fitted = FitSize(decoded.full_size, box);
    if (fitted.isEmpty()) {
        return {};
    }
    QImage scaled = decoded.image.size() == fitted
                        ? decoded.image
                        : decoded.image.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    scaled = scaled.convertToFormat(QImage::Format_ARGB32);
    if (scaled.isNull()) {
        return {};
    }
    return IsGlowless(name) ? scaled : AddGlow(scaled);
}

TilePixels TexturePixels(const QImage& prepared) {
    if (prepared.isNull() || prepared.format() != QImage::Format_ARGB32) {
        return {};
    }
    TilePixels tile;
    tile.width = prepared.width();
    tile.height = prepared.height();
    tile.pixels.resize(static_cast<size_t>(tile.width) * static_cast<size_t>(tile.height));
    std::uint16_t* out = tile.pixels.data();
    for (int y = 0; y < tile.height; ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(prepared.constScanLine(y));
        for (int x = 0; x < tile.width; ++x) {
            const QRgb p = row[x];
            *out++ = static_cast<std::uint16_t>(((p >> 16) & 0x8000) | ((p >> 9) & 0x7C00) |
                                                ((p >> 6) & 0x03E0) | ((p >> 3) & 0x001F));
        }
    }
    return tile;
}

}  // namespace halvix
