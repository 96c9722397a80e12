#include "settings/preset_file.h"

#include <string>

#include "files/ini.h"
#include "text/narrow_text.h"
#include "platform/native_path.h"
#include "platform/profile_document.h"
#include "platform/profile_file.h"
#include "platform/whole_file.h"

namespace vantor::settings {

bool PresetFileCanHold(const tstring& file) {
    const std::u16string& name = file.GetBase();
    if (name.empty() || name.front() == u';' || name.front() == u'[' ||
        name.find_first_of(std::u16string_view(u"=\r\n\0", 4)) != std::u16string::npos) {
        return false;
    }
    const auto blank = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f'; };
    if (blank(name.front()) || blank(name.back())) {
        return false;
    }
    const std::string codePage = NarrowCodePage();
    bool lossy = false;
    const std::string narrow = WideToNarrow(name, codePage, &lossy);
    return !lossy && NarrowToWide(narrow, codePage) == name;
}

std::vector<PresetEntry> ReadPresetEntries(const tstring& path) {
    std::vector<PresetEntry> entries;
    if (!_FILE::CFileBase::CheckFileExist(path)) {
        return entries;
    }
    CIni ini(path);
    for (const tstring& key : ini.GetAllSectionKeys(kPresetSection)) {
        entries.push_back({key, ini.GetSValue(kPresetSection, key)});
    }
    return entries;
}

bool WritePresetEntries(const std::vector<PresetEntry>& entries, const tstring& path) {
    // The profile writer's own document, started from the bare header, so that the text is exactly
    // what writing the entries one by one into a fresh "[CheatInfo]" file gives; it reaches the
    // disk once, whole.
    const std::string header = "[" + ToNativePath(kPresetSection) + "]";
    ProfileDocument document = ProfileDocument::Parse(header, NarrowCodePage());
    for (const PresetEntry& entry : entries) {
        tstring key = entry.file;
        if (key.Trim(u' ').IsEmpty()) {
            continue;  // no line can hold a blank key; the writer would refuse it
        }
        document.SetValue(kPresetSection, key.GetBase(), entry.level.GetBase());
    }
    return ReplaceProfileFile(path, document.Serialize(), NewFileMode());
}

}  // namespace vantor::settings
