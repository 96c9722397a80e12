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
    // File names are matched exactly here, so the name is opened as listed (".JPG" stays ".JPG"),
    // and the picture comes upright, as on the wall.
    DecodedPicture decoded = DecodePicture(NativePath(), kWallImageBox, DecodeMode::Full);
    if (decoded.image.isNull()) {
        return {};
    }
    aspect_ = static_cast<float>(decoded.image.height()) / static_cast<float>(decoded.image.width());
    return std::move(decoded.image);
}

QImage CLocalImageItem::WallImage() {
    return PreparedImage(kWallImageBox);
}

QImage CLocalImageItem::PreparedImage(QSize box) {
    return PreparePicture(NativePath(), name_, box, mode_, &aspect_);
}

}  // namespace halvix
