#include "platform/native_path.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "text/narrow_text.h"
#include "platform/user_folder.h"

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
    const char* home = std::getenv("HOME");
    const auto folder =
        WorkingFolderFor(exe.parent_path(), home ? home : "",
                         [](const std::filesystem::path& path) { return ::access(path.c_str(), W_OK) == 0; });
    if (folder.empty()) {
        return false;
    }
    if (folder != exe.parent_path()) {
        PrepareUserFolder(exe.parent_path(), folder);
    }
    return ::chdir(folder.c_str()) == 0;
}

tstring BareFileName(const tstring& path) {
    const std::u16string& text = path.GetBase();
    const std::size_t cut = text.find_last_of(u"\\/");
    return cut == std::u16string::npos ? path : tstring(text.substr(cut + 1));
}

}  // namespace vantor
