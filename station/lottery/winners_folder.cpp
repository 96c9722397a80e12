#include "lottery/winners_folder.h"

#include <QLoggingCategory>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

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
    for (const std::filesystem::path& day : vantor::FolderEntries(vantor::ToNativePath(lottery))) {
        for (const std::filesystem::path& level : vantor::FolderEntries(day)) {
            for (const std::filesystem::path& entry : vantor::FolderEntries(level)) {
                const std::optional<std::string> target =
                    vantor::TemporaryTargetStem(entry.filename().string());
                if (!target || !target->ends_with("-jpg") ||
                    !vantor::ParseSignInStem(vantor::FromNativePath(target->substr(0, target->size() - 4)))) {
                    continue;
                }
                std::error_code error;
                if (std::filesystem::remove(entry, error)) {
                    ++removed;
                    qCInfo(lcWinners) << "removed the unfinished copy" << entry.c_str();
                }
            }
        }
    }
    return removed;
}

}  // namespace travenor
