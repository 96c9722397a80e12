#include "server/picture_catalog.h"

#include <QDate>

#include "platform/native_path.h"

namespace vantor::gallery {
namespace {

std::string DayName(const QDate& date) {
    return std::to_string(date.year()) + '-' + std::to_string(date.month()) + '-' +
           std::to_string(date.day());
}

}  // namespace

PictureCatalog::PictureCatalog(tstring storage_root)
    : root_(std::move(storage_root)), current_(std::make_shared<const links::LinkIndex>()) {}

bool PictureCatalog::Refresh() {
    std::lock_guard refresh(refresh_mutex_);
    if (!probe_.Reload(root_)) {
        return false;
    }
    auto fresh = std::make_shared<links::LinkIndex>();
    fresh->Reload(root_);
    std::lock_guard lock(current_mutex_);
    current_ = std::move(fresh);
    return true;
}

std::shared_ptr<const links::LinkIndex> PictureCatalog::Current() const {
    std::lock_guard lock(current_mutex_);
    return current_;
}

std::optional<links::LinkEntry> PictureCatalog::ByToken(std::string_view token) const {
    const auto index = Current();
    const links::LinkEntry* entry = index->ByToken(token);
    return entry ? std::optional(*entry) : std::nullopt;
}

std::optional<links::LinkEntry> PictureCatalog::ById(std::string_view id) const {
    const auto index = Current();
    const links::LinkEntry* entry = index->ById(id);
    return entry ? std::optional(*entry) : std::nullopt;
}

std::vector<links::LinkEntry> PictureCatalog::Days(const std::vector<std::string>& days) const {
    const auto index = Current();
    std::vector<links::LinkEntry> entries;
    for (const std::string& day : days) {
        std::vector<links::LinkEntry> of_day = index->Day(day);
        entries.insert(entries.end(), of_day.begin(), of_day.end());
    }
    return entries;
}

std::string PictureCatalog::FramedFile(const links::LinkEntry& entry) const {
    return ToNativePath(links::FramedPictureOf(root_, entry));
}

std::string PictureCatalog::PlainFile(const links::LinkEntry& entry) const {
    return ToNativePath(links::PlainPhotoOf(root_, entry));
}

std::string PictureCatalog::VoiceFile(const links::LinkEntry& entry) const {
    return ToNativePath(links::VoiceMessageOf(root_, entry));
}

std::vector<std::string> GalleryDays(const LocalDateTime& now) {
    const QDate today(now.year, now.month, now.day);
    if (!today.isValid()) {
        return {};
    }
    std::vector<std::string> days{DayName(today)};
    if (now.hour < 6) {
        days.push_back(DayName(today.addDays(-1)));
    }
    return days;
}

}  // namespace vantor::gallery
