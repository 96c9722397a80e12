#include "platform/native_path.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/narrow_text.h"

namespace vantor {

std::string ToNativePath(const tstring& path) {
    std::u16string text = path.GetBase();
    std::replace(text.begin(), text.end(), u'\\', u'/');
    return WideToFileName(text);
}

tstring FromNativePath(const std::string& native) {
    std::u16string text = FileNameToWide(native);
    std::replace(text.begin(), text.end(), u'/', u'\\');
    return tstring(std::move(text));
}

bool IsAbsolutePath(const tstring& path) {
    const std::u16string& text = path.GetBase();
    if (text.empty()) {
        return false;
    }
    return text[0] == u'\\' || text[0] == u'/' || text.find(u':') != std::u16string::npos;
}

namespace {

std::filesystem::path ProgramFile() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : exe;
}

}  // namespace

tstring ProgramFolder() {
    const auto exe = ProgramFile();
    if (exe.empty()) {
        return tstring(u".\\");
    }
    tstring folder = FromNativePath(exe.parent_path().string());
    if (folder.IsEmpty() || folder.GetBase().back() != u'\\') {
        folder.GetBase().push_back(u'\\');
    }
    return folder;
}

bool AnchorWorkingFolderToInstallation() {
    const auto exe = ProgramFile();
    if (exe.empty()) {
        return false;
    }
    const auto folder = exe.parent_path();
    std::error_code ec;
    if (!std::filesystem::is_directory(folder / "Bin", ec)) {
        return false;
    }
    return ::chdir(folder.c_str()) == 0;
}

tstring BareFileName(const tstring& path) {
    const std::u16string& text = path.GetBase();
    const std::size_t cut = text.find_last_of(u"\\/");
    return cut == std::u16string::npos ? path : tstring(text.substr(cut + 1));
}

}  // namespace vantor
