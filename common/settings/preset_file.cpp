#include "settings/preset_file.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "files/ini.h"
#include "platform/native_path.h"
#include "platform/profile_file.h"
#include "platform/whole_file.h"

namespace vantor::settings {
namespace {

bool FileExists(const tstring& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(ToNativePath(path), error);
}

// A scratch file beside the target, created empty with a unique name; removed when the object goes.
class ScratchFile {
  public:
    explicit ScratchFile(const std::string& target_native) {
        std::string pattern = TemporaryNameFor(target_native);
        const int fd =
            ::mkstemps(pattern.data(), static_cast<int>(pattern.size() - pattern.rfind("XXXXXX") - 6));
        if (fd >= 0) {
            ::close(fd);
            native_ = pattern;
        }
    }
    ~ScratchFile() {
        if (!native_.empty()) {
            std::error_code ignored;
            std::filesystem::remove(native_, ignored);
        }
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    ScratchFile(ScratchFile&&) = delete;
    ScratchFile& operator=(ScratchFile&&) = delete;

    bool Made() const { return !native_.empty(); }
    const std::string& Native() const { return native_; }

  private:
    std::string native_;
};

}  // namespace

std::vector<PresetEntry> ReadPresetEntries(const tstring& path) {
    std::vector<PresetEntry> entries;
    if (!FileExists(path)) {
        return entries;
    }
    CIni ini(path);
    for (const tstring& key : ini.GetAllSectionKeys(kPresetSection)) {
        entries.push_back({key, ini.GetSValue(kPresetSection, key)});
    }
    return entries;
}

bool WritePresetEntries(const std::vector<PresetEntry>& entries, const tstring& path) {
    const std::string target = ToNativePath(path);
    ScratchFile scratch(target);
    if (!scratch.Made()) {
        return false;
    }
    // The text is built in the scratch file by the profile writer itself, so that it is exactly
    // what writing the entries one by one into a fresh "[CheatInfo]" file gives.
    const std::string header = "[" + ToNativePath(kPresetSection) + "]";
    if (!ReplaceWholeFile(scratch.Native(), header, NewFileMode())) {
        return false;
    }
    const tstring scratch_path = FromNativePath(scratch.Native());
    for (const PresetEntry& entry : entries) {
        tstring key = entry.file;
        if (key.Trim(u' ').IsEmpty()) {
            continue;  // no line can hold a blank key; the writer would refuse it
        }
        if (WritePrivateProfileStringW(kPresetSection, key.Data(), entry.level.Data(), scratch_path.Data()) ==
            0) {
            return false;
        }
    }
    const std::optional<std::string> text = ReadWholeFile(scratch.Native());
    return text && ReplaceWholeFile(target, *text, NewFileMode());
}

}  // namespace vantor::settings
