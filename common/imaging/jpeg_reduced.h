#pragma once
// Reduced-size JPEG decoding through libjpeg's DCT scaling (scale_num / 8). Decoding a photo of
// 1920 x 1080 at a quarter of its size skips most of the work of the inverse transform, which is
// what makes a wall of hundreds of photos quick to build. CPU only, any thread.
#include <QByteArray>
#include <QImage>
#include <QSize>

namespace vantor {

// True when the bytes start like a JPEG file; *size receives the picture's size from its header.
bool ReadJpegSize(const QByteArray& bytes, QSize* size);

// Decodes at scale_num / 8 (1..8) of the full size; null on any decoding error. The result is
// RGB32 (grey pictures are expanded). A file whose data ends early or is corrupt in places is
// decoded as far as it goes (the rest grey), or refused with JpegDamage::Refuse.
enum class JpegDamage { Tolerate, Refuse };
QImage DecodeJpegScaled(const QByteArray& bytes, int scale_num, JpegDamage damage = JpegDamage::Tolerate);

// The smallest scale_num (of 8) whose decoded size still covers `needed` in both directions.
int JpegScaleFor(QSize full, QSize needed);

}  // namespace vantor
