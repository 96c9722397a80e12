#include "engine/tile_texture.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include "engine/irr_engine.h"
#include "engine/irr_ptr.h"

namespace halvix {
namespace {

using irr::video::ECF_A1R5G5B5;
using irr::video::ITexture;
using irr::video::IVideoDriver;

irr::core::dimension2du Dimension(int width, int height) {
    return irr::core::dimension2du(static_cast<irr::u32>(width), static_cast<irr::u32>(height));
}

void SetTileFlags(IVideoDriver* driver) {
    driver->setTextureCreationFlag(irr::video::ETCF_CREATE_MIP_MAPS, false);
    driver->setTextureCreationFlag(irr::video::ETCF_ALWAYS_32_BIT, false);
    driver->setTextureCreationFlag(irr::video::ETCF_ALWAYS_16_BIT, true);
}

// Through the engine: it copies the pixels (the image only borrows them).
ITexture* AddThroughEngine(IVideoDriver* driver, const std::string& name, const TilePixels& pixels) {
    const irr_ptr<irr::video::IImage> image(
        driver->createImageFromData(ECF_A1R5G5B5, Dimension(pixels.width, pixels.height),
                                    const_cast<std::uint16_t*>(pixels.pixels.data()), true, false));
    return image ? driver->addTexture(name.c_str(), image.get()) : nullptr;
}

// Loads the pixels into the texture bound to GL_TEXTURE_2D. The engine binds a texture it has just
// made on unit 0 and records that binding, so the binding is left as it is.
bool LoadBoundTexture(const TilePixels& pixels) {
    for (int stale = 0; stale < 16 && glGetError() != GL_NO_ERROR; ++stale) {
    }  // errors of earlier calls are not this upload's
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 2);  // rows of 16-bit pixels, not padded to 4 bytes
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB5_A1, pixels.width, pixels.height, 0, GL_BGRA,
                 GL_UNSIGNED_SHORT_1_5_5_5_REV, pixels.pixels.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    GLint width = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    return glGetError() == GL_NO_ERROR && width == pixels.width;
}

// A one-pixel texture from the engine, then the picture straight into OpenGL.
ITexture* AddThroughOpenGL(IVideoDriver* driver, const std::string& name, const TilePixels& pixels) {
    std::uint16_t stand_in = 0;
    const irr_ptr<irr::video::IImage> image(
        driver->createImageFromData(ECF_A1R5G5B5, Dimension(1, 1), &stand_in, true, false));
    ITexture* texture = image ? driver->addTexture(name.c_str(), image.get()) : nullptr;
    if (texture == nullptr) {
        return nullptr;
    }
    if (!LoadBoundTexture(pixels)) {
        driver->removeTexture(texture);
        return AddThroughEngine(driver, name, pixels);  // the engine's way still shows the picture
    }
    return texture;
}

}  // namespace

irr_ptr<ITexture> AddTileTexture(IVideoDriver* driver, const std::string& name, const TilePixels& pixels) {
    if (pixels.IsNull() || pixels.pixels.size() != static_cast<size_t>(pixels.width) * pixels.height) {
        return nullptr;
    }
    SetTileFlags(driver);
    ITexture* listed = driver->getDriverType() == irr::video::EDT_OPENGL
                           ? AddThroughOpenGL(driver, name, pixels)
                           : AddThroughEngine(driver, name, pixels);
    irr_ptr<ITexture> texture = Grab(listed);
    driver->removeTexture(listed);  // the driver's reference goes, ours stays
    return texture;
}

}  // namespace halvix
