#include "lottery/candidate_scan.h"

#include <sys/stat.h>

#include <filesystem>
#include <set>
#include <string>
#include <utility>

#include "text/narrow_text.h"
#include "platform/native_path.h"

namespace travenor {
namespace {

namespace fs = std::filesystem;
using FolderId = std::pair<dev_t, ino_t>;

// A file still being received from another station is no ticket: Syncthing writes it as
// ".syncthing.<name>.tmp" (or "~syncthing~<name>.tmp") and renames it into place when whole. Our
// own unfinished writes are hidden names too.
bool IsFileInTransfer(const std::string& name) {
    return name.starts_with('.') || name.starts_with("~syncthing~");
}

bool IsTicketName(const std::string& name) {
    return (name.find(".jpg") != std::string::npos || name.find(".JPG") != std::string::npos) &&
           !IsFileInTransfer(name);
}

void ScanFolder(const fs::path& native, const tstring& logic, std::set<FolderId>& seen,
                std::vector<tstring>& out) {
    struct stat info {};
    if (::stat(native.c_str(), &info) != 0 || !seen.insert({info.st_dev, info.st_ino}).second) {
        return;
    }
    std::error_code error;
    fs::directory_iterator entries(native, error);
    if (error) {
        return;
    }
    for (const fs::directory_entry& entry : entries) {
        const std::string name = entry.path().filename().string();
        const tstring path = logic + u"\\" + tstring(vantor::FileNameToWide(name));
        std::error_code kind_error;
        if (entry.is_directory(kind_error)) {
            if (!name.empty() && name[0] != '.') {
                ScanFolder(entry.path(), path, seen, out);
            }
        } else if (IsTicketName(name) && entry.is_regular_file(kind_error)) {
            // A FIFO or a device named like a picture (or a link to one) is no ticket.
            out.push_back(path);
        }
    }
}

}  // namespace

std::vector<tstring> ScanCandidates(const tstring& folder) {
    std::vector<tstring> candidates;
    std::set<FolderId> seen;
    ScanFolder(vantor::ToNativePath(folder), folder, seen, candidates);
    return candidates;
}

}  // namespace travenor
