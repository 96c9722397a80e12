#include "scene/image_item.h"

namespace halvix {

CLocalImageItem::CLocalImageItem(std::string name, std::string native_folder, DecodeMode mode)
    : name_(std::move(name)), folder_(std::move(native_folder)), mode_(mode) {}

std::string CLocalImageItem::NativePath() const {
    if (folder_.empty()) {
        return name_;
    }
    return folder_.back() == '/' ? folder_ + name_ : folder_ + "/" + name_;
}

QImage CLocalImageItem::Load() {
    // File names are matched exactly here, so the name is opened as listed (".JPG" stays ".JPG").
    QImage image(QString::fromStdString(NativePath()));
    if (image.isNull()) {
        return {};
    }
    aspect_ = static_cast<float>(image.height()) / static_cast<float>(image.width());
    return image;
}

QImage CLocalImageItem::WallImage() {
    return PreparedImage(kWallImageBox);
}

QImage CLocalImageItem::PreparedImage(QSize box) {
    return PreparePicture(NativePath(), name_, box, mode_, &aspect_);
}

}  // namespace halvix
