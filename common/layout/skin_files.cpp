#include "layout/skin_files.h"

#include <QFileInfo>
#include <QImageReader>

#include "platform/native_path.h"

namespace vantor {

bool SkinFileExists(const tstring& file) {
    return QFileInfo(QString::fromStdString(ToNativePath(file))).isFile();
}

QImage LoadSkinPicture(const tstring& file) {
    QImageReader reader(QString::fromStdString(ToNativePath(file)));
    reader.setAutoTransform(true);
    return reader.read();
}

}  // namespace vantor
