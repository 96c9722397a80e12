// The wall's textures on the real OpenGL driver (Xvfb with Mesa): a tile shows its picture in the
// right colours after the 16-bit conversion, and again after the enlarged texture swap.
#include <gtest/gtest.h>
#include <GL/gl.h>
#include <QImage>
#include <cstdlib>
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif
#include "platform/native_path.h"
#include "scene/wall_manager.h"
#include "test_folder.h"
#include "wall_scene_fixture.h"

namespace {

struct Rgb {
    int r, g, b;
};

// Draws one frame and reads the pixel at a window point from the back buffer.
Rgb DrawAndRead(irr::IrrlichtDevice* device, irr::core::position2di at) {
    irr::video::IVideoDriver* driver = device->getVideoDriver();
    driver->beginScene(true, true, irr::video::SColor(255, 0, 0, 0));
    device->getSceneManager()->drawAll();
    const irr::core::dimension2du size = driver->getScreenSize();
    unsigned char pixel[4] = {};
    glReadPixels(at.X, static_cast<GLint>(size.Height) - 1 - at.Y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    driver->endScene();
    return {pixel[0], pixel[1], pixel[2]};
}

Rgb DrawAndReadCentre(irr::IrrlichtDevice* device) {
    const irr::core::dimension2du size = device->getVideoDriver()->getScreenSize();
    return DrawAndRead(device,
                       {static_cast<irr::s32>(size.Width / 2), static_cast<irr::s32>(size.Height / 2)});
}

}  // namespace

TEST(WallSceneGl, TilesShowTheirPicturesInTheirColours) {
    if (std::getenv("DISPLAY") == nullptr) {
        GTEST_FAIL() << "needs an X display (DISPLAY is not set): run under Xvfb";
    }
    vantor_test::TestFolder folder;
    QImage orange(640, 480, QImage::Format_RGB32);
    orange.fill(QColor(250, 120, 0));
    ASSERT_TRUE(orange.save(QString::fromStdString((folder.path() / "a.png").string()), "PNG"));
    const auto keep = std::filesystem::current_path();

#if defined(__SANITIZE_ADDRESS__)
    // This device opens an X display and GL context of its own (the program's draws into a Qt
    // window); the GL driver keeps a few small per-display blocks that are freed by nobody, and with
    // no frame pointers in those libraries their stacks cannot be told apart for a suppression.
    // The wall's own objects are leak-checked by the window and scene tests.
    __lsan::ScopedDisabler driver_keeps_its_blocks;
#endif
    irr_ptr<irr::IrrlichtDevice> device(
        irr::createDevice(irr::video::EDT_OPENGL, irr::core::dimension2du(800, 600), 16));
    if (!device) {
        GTEST_FAIL() << "no OpenGL context on this display (GLX missing)";
    }
    irr::scene::ISceneManager* scene = device->getSceneManager();
    scene->addCameraSceneNode(nullptr, irr::core::vector3df(0, 270, -450), irr::core::vector3df(0, 270, 0));
    {
        halvix::CWallManager wall(device.get());
        wall.SetFolder(vantor::FromNativePath(folder.path().string()));
        EXPECT_EQ(wall.Build(), 0);
        ASSERT_EQ(wall.Tiles().size(), 1u);

        const Rgb small = DrawAndReadCentre(device.get());
        EXPECT_GT(small.r, 200);
        EXPECT_GT(small.g, 80);
        EXPECT_LT(small.g, 160);
        EXPECT_LT(small.b, 50);

        wall.Enlarge(wall.FirstTile());
        wall.WaitEnlargeDecoded();
        ASSERT_TRUE(wall.ApplyEnlarged());
        const Rgb large = DrawAndReadCentre(device.get());
        EXPECT_GT(large.r, 200);
        EXPECT_LT(large.b, 50);
    }  // released on the thread that owns the context, before the device

    // A photo gets the blue glow; its inner band is the most opaque part of it.
    std::filesystem::remove(folder.path() / "a.png");
    ASSERT_TRUE(orange.save(QString::fromStdString((folder.path() / "b.jpg").string()), "JPG", 95));
    {
        halvix::CWallManager wall(device.get());
        wall.SetFolder(vantor::FromNativePath(folder.path().string()));
        wall.Build();
        ASSERT_EQ(wall.Tiles().size(), 1u);
        // 494 pixels wide on 494 units: the innermost band pixel is 6.5 units inside the left edge.
        const irr::core::position2di band =
            scene->getSceneCollisionManager()->getScreenCoordinatesFrom3DPosition(
                irr::core::vector3df(-247.0f + 6.5f, 270, 0));
        const Rgb glow = DrawAndRead(device.get(), band);
        EXPECT_LT(glow.r, 60);
        EXPECT_GT(glow.b, 100);  // blended over the black backdrop
        const Rgb inside = DrawAndRead(device.get(), {band.X + 12, band.Y});
        EXPECT_GT(inside.r, 200);
    }
    std::filesystem::current_path(keep);
}
