// The pictures a shown folder may hold, as any bytes: a JPEG's header (its size refused beyond the
// programs' bound before anything is allocated for it), the check of its coded data and a decode
// of small ones, and whether a BMP's pixel data is complete.
//
// Input: the file's bytes.
#include <QByteArray>
#include <cstdint>

#include "fuzz_support.h"
#include "imaging/bmp_complete.h"
#include "imaging/jpeg_reduced.h"
#include "imaging/picture_limits.h"

namespace {

// Pictures up to this size are decoded: larger ones are allowed but would only make the run slow.
constexpr std::int64_t kDecodedPixels = 1 << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    vantor::JpegHeader header;
    if (vantor::ReadJpegHeader(bytes, &header)) {
        const std::int64_t width = header.stored_size.width();
        const std::int64_t height = header.stored_size.height();
        FUZZ_CHECK(vantor::PicturePixelsAllowed(width, height));
        if (width * height <= kDecodedPixels) {
            const QImage decoded = vantor::DecodeJpegScaled(bytes, 1, vantor::JpegDamage::Refuse);
            FUZZ_CHECK(decoded.isNull() || decoded.width() == (width + 7) / 8);
            vantor::JpegDataComplete(bytes);
        }
    }
    if (vantor::BmpDataComplete(bytes)) {
        FUZZ_CHECK(vantor::LooksLikeBmpData(bytes) && bytes.size() > 14 + 12);
    }
    return 0;
}
