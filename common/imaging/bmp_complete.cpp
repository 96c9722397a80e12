#include "imaging/bmp_complete.h"

#include <cstdint>
#include <cstdlib>

namespace vantor {
namespace {

constexpr std::int64_t kFileHeaderBytes = 14;
constexpr std::int64_t kCoreHeaderBytes = 12;  // the old OS/2 header: 16-bit sides
constexpr std::int64_t kInfoHeaderBytes = 40;

// The compressions of the info header.
constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kRle4 = 2;
constexpr std::uint32_t kBitFields = 3;
constexpr std::uint32_t kAlphaBitFields = 6;

std::uint32_t Unsigned(const QByteArray& bytes, std::int64_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = value << 8 | static_cast<unsigned char>(bytes[static_cast<qsizetype>(at + i)]);
    }
    return value;
}

std::int64_t Signed32(const QByteArray& bytes, std::int64_t at) {
    return static_cast<std::int32_t>(Unsigned(bytes, at, 4));
}

std::int64_t Signed16(const QByteArray& bytes, std::int64_t at) {
    return static_cast<std::int16_t>(Unsigned(bytes, at, 2));
}

bool KnownDepth(std::int64_t bits) {
    return bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

}  // namespace

bool LooksLikeBmpData(const QByteArray& bytes) {
    return bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M';
}

bool BmpDataComplete(const QByteArray& bytes) {
    const std::int64_t length = bytes.size();
    if (!LooksLikeBmpData(bytes) || length < kFileHeaderBytes + 4) {
        return false;
    }
    const std::int64_t pixels_at = Unsigned(bytes, 10, 4);
    const std::int64_t header_size = Unsigned(bytes, kFileHeaderBytes, 4);
    const bool core = header_size == kCoreHeaderBytes;
    if ((!core && header_size < kInfoHeaderBytes) || length < kFileHeaderBytes + header_size) {
        return false;
    }
    const std::int64_t width = core ? Signed16(bytes, 18) : Signed32(bytes, 18);
    const std::int64_t height = std::abs(core ? Signed16(bytes, 20) : Signed32(bytes, 22));  // < 0: top-down
    const std::int64_t bits = Unsigned(bytes, core ? 24 : 28, 2);
    const std::uint32_t compression = core ? kRgb : Unsigned(bytes, 30, 4);
    if (width <= 0 || height <= 0 || pixels_at < kFileHeaderBytes + header_size || pixels_at > length) {
        return false;
    }
    const std::int64_t available = length - pixels_at;
    if (compression == kRle8 || compression == kRle4) {
        return available >= static_cast<std::int64_t>(Unsigned(bytes, 34, 4));
    }
    if (compression != kRgb && compression != kBitFields && compression != kAlphaBitFields) {
        return false;
    }
    if (!KnownDepth(bits)) {
        return false;
    }
    const std::int64_t row_bytes = (width * bits + 31) / 32 * 4;
    return height <= available / row_bytes;
}

}  // namespace vantor
