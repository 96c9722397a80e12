#include "platform/profile_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QLoggingCategory>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <optional>

#include "platform/native_path.h"
#include "text/narrow_text.h"
#include "platform/profile_document.h"
#include "platform/whole_file.h"

namespace vantor {
namespace {

Q_LOGGING_CATEGORY(lcProfile, "vantor.platform.profile")

// Serialises every read and write of profile files in this process, so that a read never sees
// a file between two writers' edits.
std::mutex& ProfileMutex() {
    static std::mutex mutex;  // guards all profile-file access of the process
    return mutex;
}

// The file behind a logic path; a symbolic link is followed so that the link itself stays.
std::string TargetFile(const char16_t* path) {
    std::string native = ToNativePath(tstring(path));
    std::error_code ec;
    if (std::filesystem::is_symlink(native, ec)) {
        const auto resolved = std::filesystem::canonical(native, ec);
        if (!ec) {
            native = resolved.string();
        }
    }
    return native;
}

// A temporary file younger than this may belong to a write of another process still in progress.
constexpr std::chrono::seconds kStaleAfter{60};

// Removes what killed writes of this file left beside it: temporary files that never got its
// name. Called with ProfileMutex held, so no write of a profile file by this process is in
// progress and none of those files is one of ours in use; one of another process is left alone
// while it is recent. Only regular files of this user are touched, symbolic links never.
void RemoveStaleTemporaries(const std::string& native) {
    const std::filesystem::path pattern(TemporaryNameFor(native));
    const std::filesystem::path folder = pattern.has_parent_path() ? pattern.parent_path() : ".";
    // The pattern's "XXXXXX" reads as a temporary name too, which gives the target's stem.
    const std::optional<std::string> own = TemporaryTargetStem(pattern.filename().string());
    const auto now = std::filesystem::file_time_type::clock::now();
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::filesystem::path& candidate = it->path();
        if (!own || TemporaryTargetStem(candidate.filename().string()) != own) {
            continue;
        }
        struct stat info {};
        std::error_code timeError;
        const auto modified = std::filesystem::last_write_time(candidate, timeError);
        if (::lstat(candidate.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid() ||
            timeError || now - modified < kStaleAfter) {
            continue;
        }
        if (::unlink(candidate.c_str()) == 0) {
            qCInfo(lcProfile) << "removed the temporary file of an unfinished write" << candidate.c_str();
        }
    }
}

std::optional<ProfileDocument> LoadDocument(const char16_t* path) {
    if (path == nullptr || *path == 0) {
        return std::nullopt;
    }
    const auto bytes = ReadWholeFile(TargetFile(path));
    if (!bytes) {
        return std::nullopt;
    }
    return ProfileDocument::Parse(*bytes, TextFileCodePage(*bytes));
}

// Copies a list of names, each terminated, the list ended by a second terminator. A name that
// does not fit with room to spare is cut to the space left, the list is still double terminated,
// and the result is then size - 2.
std::uint32_t CopyNameList(const std::vector<std::u16string>& names, char16_t* buffer, std::uint32_t size) {
    if (size == 1) {
        buffer[0] = 0;
        return 0;
    }
    std::uint32_t room = size - 1;  // one unit stays for the list's final terminator
    char16_t* out = buffer;
    for (const auto& name : names) {
        const std::uint32_t needed = static_cast<std::uint32_t>(name.size()) + 1;
        if (needed >= room) {
            out = std::copy_n(name.data(), room - 1, out);
            *out++ = 0;
            *out = 0;
            return size - 2;
        }
        out = std::copy(name.begin(), name.end(), out);
        *out++ = 0;
        room -= needed;
    }
    *out = 0;
    if (out == buffer) {
        buffer[1] = 0;  // an empty list is two terminators
    }
    return static_cast<std::uint32_t>(out - buffer);
}

std::uint32_t CopyValue(std::u16string_view value, char16_t* buffer, std::uint32_t size) {
    const std::uint32_t count = std::min<std::uint32_t>(static_cast<std::uint32_t>(value.size()), size - 1);
    std::copy_n(value.data(), count, buffer);
    buffer[count] = 0;
    return count;
}

std::u16string_view DefaultText(const char16_t* defaultValue) {
    std::u16string_view text = defaultValue ? std::u16string_view(defaultValue) : std::u16string_view();
    while (!text.empty() && text.back() == u' ') {
        text.remove_suffix(1);  // trailing blanks of the default are dropped, as the values' are
    }
    return text;
}

}  // namespace

std::uint32_t GetPrivateProfileStringW(const char16_t* section, const char16_t* key,
                                       const char16_t* defaultValue, char16_t* buffer, std::uint32_t size,
                                       const char16_t* path) {
    if (buffer == nullptr || size == 0) {
        return 0;
    }
    std::lock_guard<std::mutex> lock(ProfileMutex());
    const std::optional<ProfileDocument> document = LoadDocument(path);
    if (section == nullptr) {
        return CopyNameList(document ? document->SectionNames() : std::vector<std::u16string>(), buffer,
                            size);
    }
    if (key == nullptr) {
        std::optional<std::vector<std::u16string>> keys;
        if (document) {
            keys = document->KeyNames(section);
        }
        return CopyNameList(keys ? *keys : std::vector<std::u16string>(), buffer, size);
    }
    std::optional<std::u16string> value;
    if (document) {
        value = document->Value(section, key);
    }
    return value ? CopyValue(*value, buffer, size) : CopyValue(DefaultText(defaultValue), buffer, size);
}

unsigned int GetPrivateProfileIntW(const char16_t* section, const char16_t* key, int defaultValue,
                                   const char16_t* path) {
    if (section == nullptr || key == nullptr) {
        return static_cast<unsigned int>(defaultValue);
    }
    std::optional<std::u16string> value;
    {
        std::lock_guard<std::mutex> lock(ProfileMutex());
        if (const auto document = LoadDocument(path)) {
            value = document->Value(section, key);
        }
    }
    if (!value) {
        return static_cast<unsigned int>(defaultValue);
    }
    std::size_t i = 0;
    bool negative = false;
    if (i < value->size() && ((*value)[i] == u'-' || (*value)[i] == u'+')) {
        negative = (*value)[i] == u'-';
        ++i;
    }
    long long number = 0;
    for (; i < value->size() && (*value)[i] >= u'0' && (*value)[i] <= u'9'; ++i) {
        number = std::min<long long>(number * 10 + ((*value)[i] - u'0'), static_cast<long long>(INT_MAX) + 1);
    }
    number = negative ? -number : std::min<long long>(number, INT_MAX);
    return static_cast<unsigned int>(static_cast<int>(number));
}

int WritePrivateProfileStringW(const char16_t* section, const char16_t* key, const char16_t* value,
                               const char16_t* path) {
    if (section == nullptr || path == nullptr || *path == 0) {
        return 0;
    }
    std::lock_guard<std::mutex> lock(ProfileMutex());
    const std::string native = TargetFile(path);
    struct stat info {};
    const bool exists = ::stat(native.c_str(), &info) == 0;
    if (exists && ::access(native.c_str(), W_OK) != 0) {
        return 0;  // a read-only file is not written
    }
    const std::optional<std::string> bytes = exists ? ReadWholeFile(native) : std::optional<std::string>("");
    if (!bytes) {
        return 0;
    }
    ProfileDocument document = ProfileDocument::Parse(*bytes, TextFileCodePage(*bytes));
    if (key == nullptr) {
        document.DeleteSection(section);
    } else if (value == nullptr) {
        document.DeleteKey(section, key);
    } else {
        document.SetValue(section, key, value);
    }
    if (!exists && (key == nullptr || value == nullptr)) {
        return 1;  // nothing to delete in a file that is not there
    }
    const std::string updated = document.Serialize();
    if (exists && updated == *bytes) {
        return 1;
    }
    const mode_t mode = exists ? (info.st_mode & 07777) : NewFileMode();
    RemoveStaleTemporaries(native);
    return ReplaceWholeFile(native, updated, mode) ? 1 : 0;
}

bool ReplaceProfileFile(const char16_t* path, std::string_view bytes, mode_t mode) {
    if (path == nullptr || *path == 0) {
        return false;
    }
    std::lock_guard<std::mutex> lock(ProfileMutex());
    const std::string native = TargetFile(path);
    RemoveStaleTemporaries(native);
    return ReplaceWholeFile(native, bytes, mode);
}

}  // namespace vantor
