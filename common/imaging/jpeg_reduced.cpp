#include "imaging/jpeg_reduced.h"

#include <csetjmp>
#include <cstdio>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>
// jerror.h after jpeglib.h: it names the message codes.
#include <jerror.h>
#include "imaging/exif_orientation.h"
#include "imaging/picture_limits.h"

namespace vantor {
namespace {

// libjpeg reports fatal errors through error_exit, which must not return: it jumps back to the
// function that started the decode. The functions that set the jump point keep only plain values
// that do not change after it, so nothing is lost or freed twice by the jump.
struct JumpingErrors {
    jpeg_error_mgr manager;  // first, so that the library's error pointer is also this struct's
    std::jmp_buf jump;
    bool ended_early = false;  // the data ran out before the picture was complete
};

void JumpOut(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JumpingErrors*>(info->err)->jump, 1);
}

// Messages are not printed. Data that ends early (a copy interrupted, a card pulled out) is
// noted, so that a decode can refuse the file instead of filling the rest with grey; other
// warnings (a few stray bytes between segments, common in camera files) leave a usable picture.
void Silent(j_common_ptr info, int level) {
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) {
        reinterpret_cast<JumpingErrors*>(info->err)->ended_early = true;
    }
}

void InstallErrors(jpeg_decompress_struct& info, JumpingErrors& errors) {
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = JumpOut;
    errors.manager.emit_message = Silent;
}

struct ScaledHeader {
    bool ok = false;
    bool convertible = false;  // the library can give BGRA for this colour space
    int width = 0;
    int height = 0;
    int orientation = kExifUpright;
};

constexpr int kExifMarker = JPEG_APP0 + 1;

int OrientationOf(const jpeg_decompress_struct& info) {
    for (jpeg_saved_marker_ptr marker = info.marker_list; marker != nullptr; marker = marker->next) {
        if (marker->marker == kExifMarker) {
            const int orientation = ExifOrientationOf(marker->data, marker->data_length);
            if (orientation != kExifUpright) {
                return orientation;
            }
        }
    }
    return kExifUpright;
}

// Whether a decompressor keeps the EXIF segment while it reads the header (only the header
// reading needs it; a decode would copy up to 64 KB for nothing).
enum class Exif { Keep, Skip };

// Runs `work(info, errors)` on a decompressor that has read the header of `bytes`; false when the
// header is missing, claims a picture larger than the programs decode, or the library fails on the
// way. The library's memory is capped before it reads anything, so that no header, however it
// lies, makes it allocate more. A fatal error jumps back here past `work`, which therefore keeps
// only plain values.
template <typename Work>
bool WithDecompressor(const QByteArray& bytes, Exif exif, Work work) {
    jpeg_decompress_struct info;
    JumpingErrors errors;
    InstallErrors(info, errors);
    jpeg_create_decompress(&info);
    info.mem->max_memory_to_use = kMaxJpegDecoderBytes;
    if (setjmp(errors.jump) != 0) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    if (exif == Exif::Keep) {
        jpeg_save_markers(&info, kExifMarker, 0xFFFF);
    }
    const bool done = jpeg_read_header(&info, TRUE) == JPEG_HEADER_OK &&
                      PicturePixelsAllowed(info.image_width, info.image_height) && work(info, errors);
    jpeg_destroy_decompress(&info);
    return done;
}

// Reads the header with its orientation; with scale_num > 0, for a decode, computes the output size
// at that scale instead and leaves the orientation upright (the EXIF segment is not kept).
ScaledHeader ReadHeader(const QByteArray& bytes, int scale_num) {
    ScaledHeader result;
    const bool read = WithDecompressor(bytes, scale_num > 0 ? Exif::Skip : Exif::Keep,
                                       [&](jpeg_decompress_struct& info, const JumpingErrors&) {
                                           result.convertible = info.jpeg_color_space == JCS_GRAYSCALE ||
                                                                info.jpeg_color_space == JCS_YCbCr ||
                                                                info.jpeg_color_space == JCS_RGB;
                                           result.orientation = OrientationOf(info);
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
                                           return true;
                                       });
    result.ok = read;
    return read ? result : ScaledHeader{};
}

// Decodes into rows of an image of exactly the size ReadHeader computed for the scale.
bool DecodeInto(const QByteArray& bytes, int scale_num, unsigned char* bits, long stride, int width,
                int height, bool whole_only) {
    return WithDecompressor(bytes, Exif::Skip,
                            [&](jpeg_decompress_struct& info, const JumpingErrors& errors) {
                                info.scale_num = static_cast<unsigned int>(scale_num);
                                info.scale_denom = 8;
                                info.out_color_space = JCS_EXT_BGRA;
                                info.dct_method = JDCT_ISLOW;
                                jpeg_start_decompress(&info);
                                if (static_cast<int>(info.output_width) != width ||
                                    static_cast<int>(info.output_height) != height) {
                                    return false;
                                }
                                while (info.output_scanline < info.output_height) {
                                    JSAMPROW row = bits + static_cast<long>(info.output_scanline) * stride;
                                    jpeg_read_scanlines(&info, &row, 1);
                                }
                                jpeg_finish_decompress(&info);
                                return !(whole_only && errors.ended_early);
                            });
}

}  // namespace

bool LooksLikeJpegData(const QByteArray& bytes) {
    return bytes.size() > 3 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
           static_cast<unsigned char>(bytes[1]) == 0xD8 && static_cast<unsigned char>(bytes[2]) == 0xFF;
}

bool ReadJpegHeader(const QByteArray& bytes, JpegHeader* header) {
    if (!LooksLikeJpegData(bytes)) {
        return false;
    }
    const ScaledHeader read = ReadHeader(bytes, 0);
    if (!read.ok || !read.convertible || read.width <= 0 || read.height <= 0) {
        return false;
    }
    if (header != nullptr) {
        *header = JpegHeader{QSize(read.width, read.height), read.orientation};
    }
    return true;
}

bool ReadJpegSize(const QByteArray& bytes, QSize* size) {
    JpegHeader header;
    if (!ReadJpegHeader(bytes, &header)) {
        return false;
    }
    if (size != nullptr) {
        *size = header.stored_size;
    }
    return true;
}

bool JpegDataComplete(const QByteArray& bytes) {
    return LooksLikeJpegData(bytes) &&
           WithDecompressor(bytes, Exif::Skip, [](jpeg_decompress_struct& info, const JumpingErrors& errors) {
               jpeg_read_coefficients(&info);  // all the entropy-coded data, without the transform
               jpeg_finish_decompress(&info);
               return !errors.ended_early;
           });
}

QImage DecodeJpegScaled(const QByteArray& bytes, int scale_num, JpegDamage damage) {
    if (!LooksLikeJpegData(bytes) || scale_num < 1 || scale_num > 8) {
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
