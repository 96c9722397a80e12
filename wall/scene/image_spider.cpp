#include "scene/image_spider.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
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

CLocalImageSpider::CLocalImageSpider(const tstring& folder, DecodeMode mode) : folder_(folder), mode_(mode) {
    std::error_code error;
    std::filesystem::path listed = std::filesystem::absolute(vantor::ToNativePath(folder_), error);
    if (!error) {
        const std::filesystem::directory_iterator probe(listed, error);
    }
    if (error) {
        listed = std::filesystem::current_path(error);
    }
    listed_folder_ = listed.lexically_normal().string();
}

CLocalImageSpider::~CLocalImageSpider() = default;

void CLocalImageSpider::Scan() {
    items_.clear();
    std::vector<std::string> names;
    std::error_code error;
    std::filesystem::directory_iterator it(listed_folder_, error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        std::error_code kind_error;
        std::string name = it->path().filename().string();
        // Only regular files (links followed): a FIFO or a device named like a picture is no tile.
        if (it->is_regular_file(kind_error) && HasPictureSuffix(name)) {
            names.push_back(std::move(name));
        }
    }
    std::sort(names.begin(), names.end());
    for (std::string& name : names) {
        items_.push_back(std::make_unique<CLocalImageItem>(std::move(name), listed_folder_, mode_));
    }
    scanned_ = true;
}

void CLocalImageSpider::GetItems(std::vector<IImageItem*>& items) const {
    for (const auto& item : items_) {
        items.push_back(item.get());
    }
}

}  // namespace halvix
