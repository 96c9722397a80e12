#pragma once
// Reduced-size JPEG decoding through libjpeg's DCT scaling (scale_num / 8). Decoding a photo of
// 1920 x 1080 at a quarter of its size skips most of the work of the inverse transform, which is
// what makes a wall of hundreds of photos quick to build. CPU only, any thread.
#include <QByteArray>
#include <QImage>
#include <QSize>
#include "tarquel_export.h"

namespace vantor {

// True when the bytes start like a JPEG file (the start-of-image marker and another marker).
TARQUEL_API bool LooksLikeJpegData(const QByteArray& bytes);

struct JpegHeader {
    QSize stored_size;    // as the pixels are stored, before the orientation turns them
    int orientation = 1;  // EXIF orientation, 1 when the file has none
};

// True when the bytes start like a JPEG file that DecodeJpegScaled can decode (grey, YCbCr or RGB;
// CMYK files are not); *header receives the stored size and the orientation from its header.
TARQUEL_API bool ReadJpegHeader(const QByteArray& bytes, JpegHeader* header);
TARQUEL_API bool ReadJpegSize(const QByteArray& bytes, QSize* size);  // the stored size only

// False when the bytes are not a JPEG, cannot be decoded or end before the picture is complete.
// Reads all the coded data but transforms none of it: for files another decoder will decode,
// which would fill a missing end with grey.
TARQUEL_API bool JpegDataComplete(const QByteArray& bytes);

// Decodes at scale_num / 8 (1..8) of the full size, as stored (the orientation is not applied);
// null on any decoding error. The result is RGB32 (grey pictures are expanded). A file whose data
// ends early is decoded as far as it goes (the rest grey), or refused with JpegDamage::Refuse.
enum class JpegDamage { Tolerate, Refuse };
TARQUEL_API QImage DecodeJpegScaled(const QByteArray& bytes, int scale_num,
                                    JpegDamage damage = JpegDamage::Tolerate);

// The smallest scale_num (of 8) whose decoded size still covers `needed` in both directions.
TARQUEL_API int JpegScaleFor(QSize full, QSize needed);

}  // namespace vantor
