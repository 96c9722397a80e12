#include "imaging/jpeg_reduced.h"

#include <csetjmp>
#include <cstdio>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

namespace vantor {
namespace {

// libjpeg reports fatal errors through error_exit, which must not return: it jumps back to the
// function that started the decode. The functions that set the jump point keep only plain values
// that do not change after it, so nothing is lost or freed twice by the jump.
struct JumpingErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void JumpOut(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JumpingErrors*>(info->err)->jump, 1);
}

// Messages are not printed; warnings (level -1, such as data that ends early) are counted, so that
// a decode can refuse a damaged file.
void Silent(j_common_ptr info, int level) {
    if (level < 0) {
        ++info->err->num_warnings;
    }
}

void InstallErrors(jpeg_decompress_struct& info, JumpingErrors& errors) {
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = JumpOut;
    errors.manager.emit_message = Silent;
}

bool LooksLikeJpeg(const QByteArray& bytes) {
    return bytes.size() > 3 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
           static_cast<unsigned char>(bytes[1]) == 0xD8 && static_cast<unsigned char>(bytes[2]) == 0xFF;
}

struct ScaledHeader {
    bool ok = false;
    bool convertible = false;  // the library can give BGRA for this colour space
    int width = 0;
    int height = 0;
};

// Reads the header; with scale_num > 0 computes the output size at that scale.
ScaledHeader ReadHeader(const QByteArray& bytes, int scale_num) {
    ScaledHeader header;
    jpeg_decompress_struct info;
    JumpingErrors errors;
    InstallErrors(info, errors);
    jpeg_create_decompress(&info);
    if (setjmp(errors.jump) != 0) {
        jpeg_destroy_decompress(&info);
        return ScaledHeader{};
    }
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
        jpeg_destroy_decompress(&info);
        return ScaledHeader{};
    }
    ScaledHeader result;
    result.ok = true;
    result.convertible = info.jpeg_color_space == JCS_GRAYSCALE || info.jpeg_color_space == JCS_YCbCr ||
                         info.jpeg_color_space == JCS_RGB;
    if (scale_num > 0) {
        info.scale_num = static_cast<unsigned int>(scale_num);
        info.scale_denom = 8;
        info.out_color_space = JCS_EXT_BGRA;
        jpeg_calc_output_dimensions(&info);
        result.width = static_cast<int>(info.output_width);
        result.height = static_cast<int>(info.output_height);
    } else {
        result.width = static_cast<int>(info.image_width);
        result.height = static_cast<int>(info.image_height);
    }
    jpeg_destroy_decompress(&info);
    return result;
}

// Decodes into rows of an image of exactly the size ReadHeader computed for the scale.
bool DecodeInto(const QByteArray& bytes, int scale_num, unsigned char* bits, long stride, int width,
                int height, bool whole_only) {
    jpeg_decompress_struct info;
    JumpingErrors errors;
    InstallErrors(info, errors);
    jpeg_create_decompress(&info);
    if (setjmp(errors.jump) != 0) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    info.scale_num = static_cast<unsigned int>(scale_num);
    info.scale_denom = 8;
    info.out_color_space = JCS_EXT_BGRA;
    info.dct_method = JDCT_ISLOW;
    jpeg_start_decompress(&info);
    if (static_cast<int>(info.output_width) != width || static_cast<int>(info.output_height) != height) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = bits + static_cast<long>(info.output_scanline) * stride;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    const bool damaged = errors.manager.num_warnings > 0;
    jpeg_destroy_decompress(&info);
    return !(whole_only && damaged);
}

}  // namespace

bool ReadJpegSize(const QByteArray& bytes, QSize* size) {
    if (!LooksLikeJpeg(bytes)) {
        return false;
    }
    const ScaledHeader header = ReadHeader(bytes, 0);
    if (!header.ok || !header.convertible || header.width <= 0 || header.height <= 0) {
        return false;
    }
    if (size != nullptr) {
        *size = QSize(header.width, header.height);
    }
    return true;
}

QImage DecodeJpegScaled(const QByteArray& bytes, int scale_num, JpegDamage damage) {
    if (!LooksLikeJpeg(bytes) || scale_num < 1 || scale_num > 8) {
        return {};
    }
    const ScaledHeader header = ReadHeader(bytes, scale_num);
    if (!header.ok || !header.convertible || header.width <= 0 || header.height <= 0) {
        return {};
    }
    QImage image(header.width, header.height, QImage::Format_RGB32);
    if (image.isNull()) {
        return {};
    }
    if (!DecodeInto(bytes, scale_num, image.bits(), static_cast<long>(image.bytesPerLine()), header.width,
                    header.height, damage == JpegDamage::Refuse)) {
        return {};
    }
    return image;
}

int JpegScaleFor(QSize full, QSize needed) {
    for (int scale = 1; scale < 8; ++scale) {
        const int width = (full.width() * scale + 7) / 8;
        const int height = (full.height() * scale + 7) / 8;
        if (width >= needed.width() && height >= needed.height()) {
            return scale;
        }
    }
    return 8;
}

}  // namespace vantor
