#pragma once
// Pictures and paths for tests: a plain JPEG of one colour, and a file's path as the programs name
// files (backslashes, the text as they read it).
#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>
#include <filesystem>
#include "platform/native_path.h"

namespace vantor_test {

// Writes a picture of one colour as a JPEG file, making its folder; true when it was written.
inline bool WriteJpeg(const std::filesystem::path& file, QColor colour, QSize size = QSize(160, 120),
                      int quality = 95) {
    std::filesystem::create_directories(file.parent_path());
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(colour);
    return picture.save(QString::fromStdString(file.string()), "JPG", quality);
}

inline tstring Logic(const std::filesystem::path& path) {
    return vantor::FromNativePath(path.string());
}

}  // namespace vantor_test
