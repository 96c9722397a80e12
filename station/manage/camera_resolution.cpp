#include "manage/camera_resolution.h"

#include <sys/stat.h>
#include <unistd.h>

#include "files/ini.h"
#include "text/narrow_text.h"
#include "platform/native_path.h"
#include "platform/profile_document.h"
#include "platform/profile_file.h"
#include "platform/whole_file.h"
#include "settings/settings_table.h"

namespace travenor {
namespace {

// "%d" of the number, as the settings class writes numbers.
std::u16string Number(int value) {
    const std::string digits = std::to_string(value);
    return {digits.begin(), digits.end()};
}

}  // namespace

int ResolutionIndexForWidth(int width) {
    // The first entry is also what any width the list does not know shows.
    for (int index = 1; index < static_cast<int>(kCameraResolutions.size()); ++index) {
        if (kCameraResolutions[index].width == width) {
            return index;
        }
    }
    return 0;
}

bool WriteCameraResolution(CIni& config, int index) {
    if (index < 0 || index >= static_cast<int>(kCameraResolutions.size())) {
        return false;
    }
    using namespace vantor::settings;
    const CameraResolution& chosen = kCameraResolutions[index];
    const char16_t* path = config.GetPath();
    if (path == nullptr || *path == u'\0') {
        // Not opened: the settings class says so itself and writes nothing.
        return config.WriteValue(kCameraWidth.section, kCameraWidth.key, chosen.width) != 0;
    }
    // Width and height are one setting: both reach the file in one replacement of it, so that a
    // program stopped between two writes never leaves a size that no camera mode has.
    const std::string native = vantor::ToNativePath(tstring(path));
    struct stat info {};
    const bool exists = ::stat(native.c_str(), &info) == 0;
    if (exists && ::access(native.c_str(), W_OK) != 0) {
        return false;  // a read-only file is not written
    }
    const std::optional<std::string> bytes =
        exists ? vantor::ReadWholeFile(native) : std::optional<std::string>("");
    if (!bytes) {
        return false;
    }
    vantor::ProfileDocument document =
        vantor::ProfileDocument::Parse(*bytes, vantor::TextFileCodePage(*bytes));
    document.SetValue(kCameraWidth.section, kCameraWidth.key, Number(chosen.width));
    document.SetValue(kCameraHeight.section, kCameraHeight.key, Number(chosen.height));
    const std::string updated = document.Serialize();
    if (exists && updated == *bytes) {
        return true;
    }
    return vantor::ReplaceProfileFile(path, updated, exists ? (info.st_mode & 07777) : vantor::NewFileMode());
}

}  // namespace travenor
