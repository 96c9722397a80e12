#pragma once
// Preparing a picture for the wall, on the CPU only (any thread; no engine calls): decode, fit into
// a box, and frame with the soft blue glow. The results are plain QImages in ARGB32 that the render
// thread turns into textures.
#include <QImage>
#include <QSize>
#include <string>
#include "engine/tile_texture.h"

namespace halvix {

inline constexpr int kGlowWidth = 7;
inline constexpr int kGlowMaxAlpha = 200;
inline constexpr double kGlowCornerRadius = 1.1 * kGlowWidth;  // 7.7 pixels
inline constexpr QRgb kGlowColour = 0x000000FF;                // blue; the alpha is added per pixel

// The size a picture of `picture` pixels gets inside `box`: the full box height for a taller
// picture, the full box width for a wider one, the box itself for the same proportions. The other
// side is truncated.
QSize FitSize(QSize picture, QSize box);

// A copy of `picture` framed by the glow band: kGlowWidth pixels on every side whose alpha rises
// from 0 at the outer edge to 171 next to the picture, with rounded corners. The picture is copied
// in unblended.
QImage AddGlow(const QImage& picture);

// PNG pictures keep their own transparency and get no glow: true when the name contains ".png" or
// ".PNG".
bool IsGlowless(const std::string& name);

enum class DecodeMode {
    Reduced,  // large JPEGs are decoded at a fraction of their size when that still covers the box
    Full,     // always decode the whole picture, then scale
};

struct DecodedPicture {
    QImage image;     // null when the file could not be read as a picture
    QSize full_size;  // the picture's own size (the image may be smaller after a reduced decode)
};

// Decodes the file at `native_path`. With DecodeMode::Reduced a JPEG at least twice `box` in both
// directions after fitting is decoded by the JPEG library's own scaling, at the smallest scale
// that still covers the fitted size, so the result looks the same after the fit.
DecodedPicture DecodePicture(const std::string& native_path, QSize box,
                             DecodeMode mode = DecodeMode::Reduced);

// The prepared picture of a tile: decoded, fitted into `box`, converted to ARGB32 and glowed
// unless `name` is a PNG name. Null when the file cannot be read as a picture. `aspect` (when
// given) receives height / width of the picture's own size.
QImage PreparePicture(const std::string& native_path, const std::string& name, QSize box,
                      DecodeMode mode = DecodeMode::Reduced, float* aspect = nullptr);

// A prepared ARGB32 picture in the wall's texture format: each colour keeps its 5 high bits and the
// alpha its highest bit (opaque from 128 on), as the engine's own 16-bit conversion does. Null
// pixels for a null or non-ARGB32 image.
TilePixels TexturePixels(const QImage& prepared);

}  // namespace halvix
