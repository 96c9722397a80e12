#include "lottery/winners_folder.h"

#include <QLoggingCategory>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "imaging/picture_limits.h"
#include "platform/native_path.h"
#include "platform/whole_file.h"
#include "storage/storage_layout.h"

Q_LOGGING_CATEGORY(lcWinners, "vantor.lottery.winners", QtWarningMsg)

namespace travenor {

tstring WinnersFolder(const vantor::LocalDateTime& day, const tstring& levelName) {
    const tstring root(vantor::kLotteryFolder);
    const tstring level = vantor::DatedFolder(root, day) + u"\\" + levelName;
    if (!vantor::EnsureFolder(level)) {
        qCWarning(lcWinners) << "could not make the winners' folder" << vantor::ToNativePath(level).c_str();
    }
    return level;
}

namespace {

namespace fs = std::filesystem;

// The folders or files directly in `folder`; none when it cannot be read.
std::vector<fs::path> Entries(const fs::path& folder) {
    std::vector<fs::path> entries;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        entries.push_back(it->path());
    }
    return entries;
}

}  // namespace

bool CopyWinnerPicture(const tstring& picture, const tstring& folder) {
    const std::optional<std::string> bytes =
        vantor::ReadWholeFile(vantor::ToNativePath(picture), vantor::kMaxPictureFileBytes);
    const tstring target = folder + u"\\" + vantor::BareFileName(picture);
    if (!bytes || !vantor::ReplaceWholeFile(vantor::ToNativePath(target), *bytes, vantor::NewFileMode())) {
        qCWarning(lcWinners) << "could not copy" << vantor::ToNativePath(picture).c_str() << "to"
                             << vantor::ToNativePath(folder).c_str();
        return false;
    }
    return true;
}

int RemoveUnfinishedWinnerCopies(const tstring& lottery) {
    int removed = 0;
    for (const fs::path& day : Entries(vantor::ToNativePath(lottery))) {
        for (const fs::path& level : Entries(day)) {
            for (const fs::path& entry : Entries(level)) {
                const std::optional<std::string> target =
                    vantor::TemporaryTargetStem(entry.filename().string());
                if (!target || !target->ends_with("-jpg") ||
                    !vantor::ParseSignInStem(vantor::FromNativePath(target->substr(0, target->size() - 4)))) {
                    continue;
                }
                std::error_code error;
                if (fs::remove(entry, error)) {
                    ++removed;
                    qCInfo(lcWinners) << "removed the unfinished copy" << entry.c_str();
                }
            }
        }
    }
    return removed;
}

}  // namespace travenor
