#include "scene/image_spider.h"

#include <algorithm>
#include <cctype>
#include "engine/irr_engine.h"
#include "engine/irr_ptr.h"
#include "platform/native_path.h"

namespace halvix {

bool HasPictureSuffix(const std::string& name) {
    if (name.size() < 3) {
        return false;
    }
    std::string suffix = name.substr(name.size() - 3);
    std::transform(suffix.begin(), suffix.end(), suffix.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return suffix == "bmp" || suffix == "jpg" || suffix == "png";
}

CLocalImageSpider::CLocalImageSpider(const tstring& folder, irr::io::IFileSystem* file_system,
                                     DecodeMode mode)
    : folder_(folder), file_system_(file_system), mode_(mode) {
    if (file_system_ == nullptr) {
        return;
    }
    // A folder that cannot be entered leaves the working directory where it was; that one is listed.
    file_system_->changeWorkingDirectoryTo(vantor::ToNativePath(folder_).c_str());
    listed_folder_ = file_system_->getWorkingDirectory().c_str();
}

CLocalImageSpider::~CLocalImageSpider() = default;

void CLocalImageSpider::Scan() {
    items_.clear();
    if (file_system_ != nullptr) {
        const irr_ptr<irr::io::IFileList> listing(file_system_->createFileList());
        const irr::u32 count = listing ? listing->getFileCount() : 0;
        for (irr::u32 i = 0; i < count; ++i) {
            if (listing->isDirectory(i)) {
                continue;
            }
            std::string name = listing->getFileName(i).c_str();
            if (HasPictureSuffix(name)) {
                items_.push_back(std::make_unique<CLocalImageItem>(std::move(name), listed_folder_, mode_));
            }
        }
    }
    scanned_ = true;
}

void CLocalImageSpider::GetItems(std::vector<IImageItem*>& items) const {
    for (const auto& item : items_) {
        items.push_back(item.get());
    }
}

}  // namespace halvix
