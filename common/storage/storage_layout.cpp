#include "storage/storage_layout.h"

#include <filesystem>
#include <system_error>
#include "platform/native_path.h"

namespace vantor {

tstring DatedFolder(const tstring& root, const LocalDateTime& day) {
    tstring folder;
    folder.Format(u"%s\\%d-%d-%d", root, day.year, day.month, day.day);
    return folder;
}

tstring WithTemplateFolder(const tstring& datedFolder) {
    tstring folder;
    folder.Format(u"%s\\WithTemplate", datedFolder);
    return folder;
}

tstring NoTemplateFolder(const tstring& datedFolder) {
    tstring folder;
    folder.Format(u"%s\\NoTemplate", datedFolder);
    return folder;
}

tstring AudioFolder(const tstring& datedFolder) {
    tstring folder;
    folder.Format(u"%s\\Audio", datedFolder);
    return folder;
}

tstring SignInStem(const LocalDateTime& time) {
    tstring stem;
    stem.Format(u"%d-%d-%d", time.hour, time.minute, time.second);
    return stem;
}

tstring PictureFile(const tstring& folder, const LocalDateTime& time) {
    tstring file;
    file.Format(u"%s\\%d-%d-%d.jpg", folder, time.hour, time.minute, time.second);
    return file;
}

tstring VoiceFile(const tstring& audioFolder, const LocalDateTime& time) {
    tstring file;
    file.Format(u"%s\\%d-%d-%d.wav", audioFolder, time.hour, time.minute, time.second);
    return file;
}

std::optional<int> ParseSignInStem(const tstring& name) {
    const std::u16string& text = name.GetBase();
    const std::size_t slash = text.find_last_of(u"\\/");
    const std::size_t begin = slash == std::u16string::npos ? 0 : slash + 1;
    const std::size_t dot = text.find(u'.', begin);
    const std::u16string stem =
        text.substr(begin, dot == std::u16string::npos ? std::u16string::npos : dot - begin);
    int parts[3] = {0, 0, 0};
    int part = 0;
    bool digitSeen = false;
    for (const char16_t c : stem) {
        if (c >= u'0' && c <= u'9') {
            if (parts[part] > 99) {
                return std::nullopt;
            }
            parts[part] = parts[part] * 10 + (c - u'0');
            digitSeen = true;
        } else if (c == u'-' && digitSeen && part < 2) {
            ++part;
            digitSeen = false;
        } else {
            return std::nullopt;
        }
    }
    if (part != 2 || !digitSeen || parts[0] > 23 || parts[1] > 59 || parts[2] > 59) {
        return std::nullopt;
    }
    return parts[0] * 3600 + parts[1] * 60 + parts[2];
}

bool FolderExists(const tstring& folder) {
    std::error_code error;
    return std::filesystem::is_directory(ToNativePath(folder), error);
}

bool EnsureFolder(const tstring& folder) {
    if (FolderExists(folder)) {
        return true;
    }
    std::error_code error;
    std::filesystem::create_directories(ToNativePath(folder), error);
    return FolderExists(folder);
}

StorageLayout::StorageLayout(const Clock& clock, tstring root) : clock_(clock), root_(std::move(root)) {}

tstring StorageLayout::TodayFolder() const {
    return DatedFolder(root_, clock_.Now());
}

tstring StorageLayout::TodayWithTemplate() const {
    return WithTemplateFolder(TodayFolder());
}

tstring StorageLayout::TodayNoTemplate() const {
    return NoTemplateFolder(TodayFolder());
}

tstring StorageLayout::TodayAudio() const {
    return AudioFolder(TodayFolder());
}

bool StorageLayout::EnsureRoot() const {
    return EnsureFolder(root_);
}

bool StorageLayout::EnsureTodayFolders() const {
    // One reading of the clock, so a save at midnight does not split across two days.
    return EnsureDayFolders(root_, clock_.Now());
}

bool EnsureDayFolders(const tstring& root, const LocalDateTime& time) {
    const tstring day = DatedFolder(root, time);
    const bool withTemplate = EnsureFolder(WithTemplateFolder(day));
    const bool noTemplate = EnsureFolder(NoTemplateFolder(day));
    const bool audio = EnsureFolder(AudioFolder(day));
    return withTemplate && noTemplate && audio;
}

}  // namespace vantor
