#include "files/ini.h"

#include <algorithm>
#include <memory>

#include "platform/message_box.h"
#include "platform/native_path.h"
#include "platform/profile_file.h"

namespace {

constexpr const char16_t* kCaption = u"信息提示";

void Tell(const tstring& text) {
    vantor::ShowMessageBox(text, kCaption);
}

}  // namespace

CIni::CIni(tstring path) {
    Open(std::move(path));
}

int CIni::Open(tstring path) {
    // The previous file is forgotten first, so that every failure below leaves the object not opened.
    SetPath(tstring());
    if (path.IsEmpty() || path.Trim(u' ').IsEmpty()) {
        Tell(u"文件名不能为空");
        return 0;
    }
    if (path.Find(u'.') < 0) {
        Tell(u"请指定文件名的扩展名");
        return 0;
    }
    SetPath(path);
    if (!IsSuffix(u"INF") && !IsSuffix(u"INI")) {
        Tell(u"后缀名必须为INF或者INI");
        SetPath(tstring());
        return 0;
    }

    const int slash = path.Find(u'\\');
    if ((slash >= 0 && slash != 1) || vantor::IsAbsolutePath(path)) {
        // A path with a folder: used as it stands.
        if (!CheckFileExist(path)) {
            Tell(tstring(u"文件不存在:") + path);
            SetPath(tstring());
            return 0;
        }
        return 1;
    }

    // A bare name, or one in the dot folder.
    if (path.Find(u'.') != 0) {
        path = tstring(u".\\") + path;
    }
    const tstring name = path.Mid(path.Find(u'\\') + 1);
    if (CheckFileExist(name)) {
        SetPath(path);
        return 1;
    }
    // Found only beside the program: keep that path, so that reads and writes reach the file found.
    const tstring besideProgram = GetFullPathInExeDir(name);
    if (CheckFileExist(besideProgram)) {
        SetPath(besideProgram);
        return 1;
    }
    Tell(name + tstring(u"文件不存在"));
    SetPath(tstring());
    return 0;
}

bool CIni::CheckOpened() const {
    if (path_.IsEmpty()) {
        Tell(u"请先执行Open操作");
        return false;
    }
    return true;
}

bool CIni::CheckNames(tstring& section, tstring& key) {
    section.Trim(u' ');
    key.Trim(u' ');
    if (section.IsEmpty() || key.IsEmpty()) {
        Tell(u"必须指定AppName和KeyName");
        return false;
    }
    return true;
}

tstring CIni::GetSValue(tstring section, tstring key) {
    if (!CheckOpened() || !CheckNames(section, key)) {
        return tstring();
    }
    char16_t buffer[kValueUnits] = {};
    vantor::GetPrivateProfileStringW(section, key, u"", buffer, kValueUnits, path_);
    return tstring(buffer);
}

int CIni::GetIValue(tstring section, tstring key) {
    if (!CheckOpened() || !CheckNames(section, key)) {
        return 0;
    }
    return static_cast<int>(vantor::GetPrivateProfileIntW(section, key, 0, path_));
}

int CIni::WriteValue(tstring section, tstring key, tstring value) {
    if (!CheckOpened() || !CheckNames(section, key)) {
        return 0;
    }
    return vantor::WritePrivateProfileStringW(section, key, value, path_);
}

int CIni::WriteValue(tstring section, tstring key, int value) {
    tstring text;
    text.Format(u"%d", value);
    return WriteValue(std::move(section), std::move(key), std::move(text));
}

// Asks for the list with a buffer that grows (200, 800, 6400, 102 400, ... units, at most
// kMaxListUnits) until it comes back with more than 9 units to spare.
std::vector<tstring> CIni::ReadNameList(const char16_t* section) const {
    unsigned long long size = 100;
    std::unique_ptr<char16_t[]> buffer;
    std::uint32_t count = 0;
    for (int attempt = 1;; ++attempt) {
        size = std::min<unsigned long long>(size << attempt, kMaxListUnits);
        buffer = std::make_unique<char16_t[]>(size);
        count = vantor::GetPrivateProfileStringW(section, nullptr, u"", buffer.get(),
                                                 static_cast<std::uint32_t>(size), path_);
        if (count == 0) {
            return {};
        }
        if (count + 9 < size || size == kMaxListUnits) {
            break;
        }
    }
    tstring::Replace(buffer.get(), count, u'\r', u'\0');
    return tstring(std::u16string(buffer.get(), count)).Spilt(u"\r", true);
}

std::vector<tstring> CIni::GetAllSections() {
    if (!CheckOpened()) {
        return {};
    }
    std::vector<tstring> sections = ReadNameList(nullptr);
    for (tstring& section : sections) {
        section.MakeUpper();
    }
    return sections;
}

std::vector<tstring> CIni::GetAllSectionKeys(tstring section) {
    if (!CheckOpened()) {
        return {};
    }
    return ReadNameList(section);
}

int CIni::IsSectionExist(tstring section) {
    section.MakeUpper();
    for (const tstring& name : GetAllSections()) {
        if (name == section) {
            return 1;
        }
    }
    return 0;
}

int CIni::IsKeyExistInSection(tstring section, tstring key) {
    for (const tstring& name : GetAllSectionKeys(std::move(section))) {
        if (name == key) {
            return 1;
        }
    }
    return 0;
}
