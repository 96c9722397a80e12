#pragma once
// The wall's textures: 16 bits a pixel, 1 bit of alpha and 5 bits a colour (the engine's
// A1R5G5B5), without mip-maps.
//
// The engine keeps its own copy of every texture image, in memory, for as long as the texture
// lives, and hands the graphics driver 32-bit pixels even for its 16-bit textures. For a wall of
// several hundred pictures those two copies were most of the program's memory. On the OpenGL
// driver the picture is therefore given to OpenGL directly, in the 16-bit format the driver can
// keep as it is, and the engine only holds a one-pixel stand-in; other drivers (the null device of
// the tests) get the picture through the engine as before.
#include <cstdint>
#include <string>
#include <vector>
#include "engine/irr_ptr.h"

namespace irr::video {
class ITexture;
class IVideoDriver;
}  // namespace irr::video

namespace halvix {

// A picture in the texture format: rows top to bottom, no padding.
struct TilePixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint16_t> pixels;  // width * height, bit 15 alpha, then red, green, blue

    bool IsNull() const { return width <= 0 || height <= 0; }
};

// Makes a texture of `pixels` named `name` (unique, not empty), held only by the returned pointer:
// the driver does not list it. Render thread only. Null when the driver cannot make it.
irr_ptr<irr::video::ITexture> AddTileTexture(irr::video::IVideoDriver* driver, const std::string& name,
                                             const TilePixels& pixels);

}  // namespace halvix
