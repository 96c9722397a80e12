#include "scene/picture_link.h"

#include <QLoggingCategory>
#include <filesystem>
#include "platform/native_path.h"
#include "storage/storage_layout.h"

namespace halvix {
namespace {

Q_LOGGING_CATEGORY(lcLinks, "vantor.wall.links")

constexpr std::string_view kFramedExtension = ".jpg";

bool IsWithTemplateName(const std::string& name) {
    const std::u16string_view wanted(vantor::kWithTemplateFolder);
    return std::equal(name.begin(), name.end(), wanted.begin(), wanted.end(),
                      [](char a, char16_t b) { return static_cast<char16_t>(a) == b; });
}

}  // namespace

std::optional<PicturePlace> PlaceOfPicture(const std::string& native_folder, const std::string& name) {
    if (!name.ends_with(kFramedExtension)) {
        return std::nullopt;
    }
    std::string stem = name.substr(0, name.size() - kFramedExtension.size());
    std::filesystem::path folder(native_folder);
    if (!folder.has_filename()) {
        folder = folder.parent_path();  // a trailing slash
    }
    const std::filesystem::path day_folder = folder.parent_path();
    std::string day = day_folder.filename().string();
    const std::filesystem::path root = day_folder.parent_path();
    if (!folder.is_absolute() || !IsWithTemplateName(folder.filename().string()) ||
        !vantor::links::IsDayName(day) || !vantor::links::IsStemName(stem) || root.empty()) {
        return std::nullopt;
    }
    return PicturePlace{vantor::FromNativePath(root.string()), std::move(day), std::move(stem)};
}

PictureLinks::PictureLinks(GallerySettingsSource settings) : settings_(std::move(settings)) {
    if (!settings_) {
        settings_ = [] { return vantor::settings::ReadGallerySettings(); };
    }
}

std::optional<std::string> PictureLinks::LinkOf(const std::string& native_folder, const std::string& name) {
    const std::optional<PicturePlace> place = PlaceOfPicture(native_folder, name);
    if (!place) {
        return std::nullopt;
    }
    const vantor::settings::GallerySettings settings = settings_();
    if (!settings.personal_links) {
        return std::nullopt;
    }
    if (place->storage_root != indexed_root_) {
        index_ = {};  // records of another root must not answer for this one
        indexed_root_ = place->storage_root;
    }
    index_.Reload(place->storage_root);
    const vantor::links::LinkEntry* entry = index_.ByPicture(place->day, place->stem);
    if (entry == nullptr) {
        return std::nullopt;
    }
    const std::optional<std::string> host = vantor::settings::LinkHost(settings);
    if (!host) {
        qCInfo(lcLinks) << "no network address: the wall shows no code for" << name.c_str();
        return std::nullopt;
    }
    return vantor::links::PersonalLink(*host, settings.port, entry->token);
}

}  // namespace halvix
