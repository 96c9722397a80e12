#include "storage/storage_layout.h"

#include <filesystem>
#include <optional>
#include <string_view>
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

tstring SignInStem(const LocalDateTime& time, int station) {
    tstring stem;
    stem.Format(u"%d-%d-%d", time.hour, time.minute, time.second);
    if (station != kMainStation) {
        tstring suffix;
        suffix.Format(u"~%d", station);
        stem = stem + suffix;
    }
    return stem;
}

tstring PictureFile(const tstring& folder, const LocalDateTime& time, int station) {
    return folder + tstring(u"\\") + SignInStem(time, station) + tstring(u".jpg");
}

tstring VoiceFile(const tstring& audioFolder, const LocalDateTime& time, int station) {
    return audioFolder + tstring(u"\\") + SignInStem(time, station) + tstring(u".wav");
}

namespace {

struct SignInName {
    int seconds = 0;
    int station = kMainStation;
};

// A number of at most `digits` digits without a leading zero, the whole of `text`.
std::optional<int> SmallNumber(std::u16string_view text, std::size_t digits) {
    if (text.empty() || text.size() > digits || (text.size() > 1 && text.front() == u'0')) {
        return std::nullopt;
    }
    int value = 0;
    for (const char16_t c : text) {
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        value = value * 10 + (c - u'0');
    }
    return value;
}

// "9-5-7" or "9-5-7~2", with or without folder and extension.
std::optional<SignInName> ParseSignInName(const tstring& name) {
    const std::u16string& text = name.GetBase();
    const std::size_t slash = text.find_last_of(u"\\/");
    const std::size_t begin = slash == std::u16string::npos ? 0 : slash + 1;
    const std::size_t dot = text.find(u'.', begin);
    std::u16string_view stem = std::u16string_view(text).substr(
        begin, dot == std::u16string::npos ? std::u16string::npos : dot - begin);
    SignInName parsed;
    if (const std::size_t tilde = stem.find(u'~'); tilde != std::u16string_view::npos) {
        const std::optional<int> station = SmallNumber(stem.substr(tilde + 1), 2);
        if (!station || *station <= kMainStation) {
            return std::nullopt;
        }
        parsed.station = *station;
        stem = stem.substr(0, tilde);
    }
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
    parsed.seconds = parts[0] * 3600 + parts[1] * 60 + parts[2];
    return parsed;
}

}  // namespace

std::optional<int> ParseSignInStem(const tstring& name) {
    const std::optional<SignInName> parsed = ParseSignInName(name);
    return parsed ? std::optional<int>(parsed->seconds) : std::nullopt;
}

std::optional<int> SignInStation(const tstring& name) {
    const std::optional<SignInName> parsed = ParseSignInName(name);
    return parsed ? std::optional<int>(parsed->station) : std::nullopt;
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
