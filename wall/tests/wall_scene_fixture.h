#pragma once
// Shared by the wall's scene tests: Irrlicht's null device (no window, no graphics) with a camera
// where the wall program puts it, and helpers that write picture files.
#include <QColor>
#include <QImage>
#include <QPainter>
#include <filesystem>
#include <string>
#include "engine/irr_engine.h"
#include "engine/irr_ptr.h"
#include "exif_jpeg.h"

namespace wall_test {

struct NullScene {
    NullScene()
        : device(irr::createDevice(irr::video::EDT_NULL, irr::core::dimension2du(800, 600))),
          driver(device->getVideoDriver()),
          scene(device->getSceneManager()),
          camera(scene->addCameraSceneNode(nullptr, irr::core::vector3df(0, 0, -2500),
                                           irr::core::vector3df(200, 0, 0))) {}

    irr_ptr<irr::IrrlichtDevice> device;
    irr::video::IVideoDriver* driver;
    irr::scene::ISceneManager* scene;
    irr::scene::ICameraSceneNode* camera;
};

// A picture whose colour changes across it, so that scaling faults show.
inline QImage Gradient(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, width, height);
    gradient.setColorAt(0, QColor(200, 30, 30));
    gradient.setColorAt(1, QColor(30, 30, 200));
    painter.fillRect(image.rect(), gradient);
    painter.fillRect(width / 4, height / 4, width / 2, height / 2, QColor(20, 180, 40));
    return image;
}

// The JPEG file's bytes, for names that Qt's text file names would not keep.
inline std::string JpegOf(int width, int height) {
    return vantor_test::JpegBytes(Gradient(width, height)).toStdString();
}

inline void WritePicture(const std::filesystem::path& path, int width, int height) {
    std::filesystem::create_directories(path.parent_path());
    const std::string format = path.extension() == ".png" || path.extension() == ".PNG"   ? "PNG"
                               : path.extension() == ".bmp" || path.extension() == ".BMP" ? "BMP"
                                                                                          : "JPG";
    Gradient(width, height).save(QString::fromStdString(path.string()), format.c_str(), 90);
}

}  // namespace wall_test
