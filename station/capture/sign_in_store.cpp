#include "capture/sign_in_store.h"

#include <QByteArray>
#include <QLoggingCategory>
#include <algorithm>
#include <array>
#include <filesystem>
#include <system_error>
#include "capture/sign_in_files.h"
#include "imaging/jpeg_reduced.h"
#include "platform/native_path.h"
#include "platform/whole_file.h"
#include "text/narrow_text.h"
#include "voice/wave_file.h"

Q_LOGGING_CATEGORY(lcSignInStore, "vantor.signin.store", QtInfoMsg)

namespace {

namespace fs = std::filesystem;

std::string Native(const tstring& path) {
    return vantor::ToNativePath(path);
}

std::string FolderOf(const std::string& native_path) {
    return fs::path(native_path).parent_path().string();
}

// A staged picture decodes to its end; a staged voice file holds as many samples as its header
// says.
bool CompleteFile(const fs::path& file, bool picture) {
    const std::optional<std::string> bytes = vantor::ReadWholeFile(file.string());
    if (!bytes) {
        return false;
    }
    if (picture) {
        return vantor::JpegDataComplete(QByteArray::fromStdString(*bytes));
    }
    const auto field = [&](std::size_t at) {
        std::uint32_t value = 0;
        for (int i = 3; i >= 0; --i) {
            value = value << 8 | static_cast<unsigned char>((*bytes)[at + static_cast<std::size_t>(i)]);
        }
        return std::size_t{value};
    };
    return bytes->size() >= travenor::kWaveHeaderBytes && bytes->compare(0, 4, "RIFF") == 0 &&
           field(4) + 8 == bytes->size() && field(42) + travenor::kWaveHeaderBytes == bytes->size();
}

}  // namespace

SignInStore::SignInStore(tstring root, tstring photo_in_progress, int station)
    : root_(std::move(root)), photo_in_progress_(std::move(photo_in_progress)), station_(station) {}

void SignInStore::KeepPhoto(const QImage& frame) {
    frame_ = frame;
    frame_on_disk_ = false;
    if (frame.isNull()) {
        DeleteFileAt(photo_in_progress_);
        return;
    }
    // Kept in memory too: a full disk now must not cost the plain photo when space comes back.
    frame_on_disk_ = WriteJpegAtomically(frame, photo_in_progress_);
    if (!frame_on_disk_) {
        DeleteFileAt(photo_in_progress_);
    }
}

void SignInStore::DropPhoto() {
    frame_ = QImage();
    frame_on_disk_ = false;
    DeleteFileAt(photo_in_progress_);
}

std::optional<SignInStore::Saved> SignInStore::Save(const vantor::LocalDateTime& time, const QImage& composed,
                                                    const std::vector<std::uint8_t>& voice) {
    vantor::EnsureDayFolders(root_, time);  // the storage root with them
    const tstring day = vantor::DatedFolder(root_, time);
    const std::optional<vantor::LocalDateTime> stem = FreeStem(day, time);
    if (!stem) {
        return std::nullopt;
    }
    Saved saved;
    saved.day = std::to_string(time.year) + "-" + std::to_string(time.month) + "-" + std::to_string(time.day);
    saved.stem = vantor::WideToUtf8(vantor::SignInStem(*stem, station_).GetBase());
    saved.picture = vantor::PictureFile(vantor::WithTemplateFolder(day), *stem, station_);
    saved.voice = vantor::VoiceFile(vantor::AudioFolder(day), *stem, station_);
    if (HasPhoto()) {
        saved.plain = vantor::PictureFile(vantor::NoTemplateFolder(day), *stem, station_);
    }

    // Every file in full under its temporary name first; a picture that fails removes them all
    // again.
    const mode_t mode = vantor::NewFileMode();
    std::optional<vantor::StagedFile> plain;
    if (!saved.plain.IsEmpty()) {
        const std::string bytes = PlainPhotoBytes();
        if (bytes.empty() || !plain.emplace(Native(saved.plain), bytes, mode).Ready()) {
            return std::nullopt;
        }
    }
    const std::string picture_bytes = JpegBytes(composed);
    if (picture_bytes.empty()) {
        return std::nullopt;
    }
    vantor::StagedFile picture(Native(saved.picture), picture_bytes, mode);
    if (!picture.Ready()) {
        return std::nullopt;
    }
    // The voice message last, when the pictures have their room: one that cannot be written is
    // lost alone and never costs the guest his pictures.
    std::optional<vantor::StagedFile> message;
    if (!voice.empty() &&
        !message.emplace(Native(saved.voice), travenor::WaveFileBytes(voice), mode).Ready()) {
        qCWarning(lcSignInStore) << "the voice message could not be written:" << message->Target().c_str();
        message.reset();
    }
    // The staged names reach the disk before the decision, so that a start after a power cut
    // still finds them.
    if (plain) {
        vantor::SyncFolder(FolderOf(plain->Target()));
    }
    if (message) {
        vantor::SyncFolder(FolderOf(message->Target()));
    }

    // The decision: from this rename on the sign-in counts.
    if (!picture.CommitNew()) {
        return std::nullopt;
    }
    vantor::SyncFolder(FolderOf(picture.Target()));
    if (plain) {
        if (!plain->CommitNew()) {
            qCWarning(lcSignInStore) << "the plain photo could not be put in place:"
                                     << plain->Target().c_str();
            saved.plain = tstring();
        }
        vantor::SyncFolder(FolderOf(plain->Target()));
    }
    if (message) {
        saved.voice_written = message->CommitNew();
        if (!saved.voice_written) {
            qCWarning(lcSignInStore) << "the voice message could not be put in place:"
                                     << message->Target().c_str();
        }
        vantor::SyncFolder(FolderOf(message->Target()));
    }
    DropPhoto();
    return saved;
}

std::string SignInStore::PlainPhotoBytes() const {
    // The file the camera frame was kept in, encoded again; the frame itself when the file could
    // not be written at the time of the photo.
    if (frame_on_disk_) {
        std::string bytes = ReencodedJpegBytes(photo_in_progress_);
        if (!bytes.empty()) {
            return bytes;
        }
    }
    return JpegBytes(frame_);
}

SignInStore::Recovery SignInStore::FinishInterruptedSaves() const {
    Recovery recovery;
    std::error_code error;
    const auto remove = [&](const fs::path& file) {
        if (fs::remove(file, error)) {
            ++recovery.removed;
            qCInfo(lcSignInStore) << "removed the unfinished file" << file.c_str();
        }
    };

    // Copies of "temp.jpg" that were being written.
    const fs::path photo(Native(photo_in_progress_));
    const fs::path photo_folder = photo.has_parent_path() ? photo.parent_path() : fs::path(".");
    std::string photo_stem = photo.filename().string();
    std::replace(photo_stem.begin(), photo_stem.end(), '.', '-');
    for (const fs::path& entry : vantor::FolderEntries(photo_folder)) {
        if (vantor::TemporaryTargetStem(entry.filename().string()) == photo_stem) {
            remove(entry);
        }
    }

    const fs::path root(Native(root_));
    for (const fs::path& day : vantor::FolderEntries(root)) {
        if (!fs::is_directory(day, error)) {
            continue;
        }
        const fs::path with_template = day / Native(tstring(vantor::kWithTemplateFolder));
        struct Part {
            fs::path folder;
            const char* extension;
        };
        const std::array<Part, 3> parts{{{with_template, "jpg"},
                                         {day / Native(tstring(vantor::kNoTemplateFolder)), "jpg"},
                                         {day / Native(tstring(vantor::kAudioFolder)), "wav"}}};
        for (const Part& part : parts) {
            bool changed = false;
            for (const fs::path& entry : vantor::FolderEntries(part.folder)) {
                const std::optional<std::string> target =
                    vantor::TemporaryTargetStem(entry.filename().string());
                const std::string suffix = std::string("-") + part.extension;
                if (!target || !target->ends_with(suffix)) {
                    continue;
                }
                // Only a sign-in's own files ("9-5-7.jpg"); whatever else writes here is left alone.
                const std::string stem = target->substr(0, target->size() - suffix.size());
                if (!vantor::ParseSignInStem(vantor::FromNativePath(stem))) {
                    continue;
                }
                const fs::path final = part.folder / (stem + "." + part.extension);
                const bool decided =
                    part.folder != with_template && fs::exists(with_template / (stem + ".jpg"), error);
                // A part of a sign-in whose composed picture is in place was written in full
                // before that picture's rename: it is put in place. Anything else belonged to a
                // save that did not happen.
                const bool picture = std::string_view(part.extension) == "jpg";
                if (decided && !fs::exists(final, error) && CompleteFile(entry, picture) &&
                    vantor::RenameNoReplace(entry.string(), final.string())) {
                    ++recovery.completed;
                    qCInfo(lcSignInStore) << "completed the saved sign-in with" << final.c_str();
                } else {
                    remove(entry);
                }
                changed = true;
            }
            if (changed) {
                vantor::SyncFolder(part.folder.string());
            }
        }
    }
    return recovery;
}

std::optional<vantor::LocalDateTime> SignInStore::FreeStem(const tstring& day,
                                                           vantor::LocalDateTime time) const {
    for (int seconds = time.hour * 3600 + time.minute * 60 + time.second; seconds < 24 * 3600; ++seconds) {
        time.hour = seconds / 3600;
        time.minute = seconds / 60 % 60;
        time.second = seconds % 60;
        const bool taken = FileExists(vantor::PictureFile(vantor::WithTemplateFolder(day), time, station_)) ||
                           FileExists(vantor::PictureFile(vantor::NoTemplateFolder(day), time, station_)) ||
                           FileExists(vantor::VoiceFile(vantor::AudioFolder(day), time, station_));
        if (!taken) {
            return time;
        }
    }
    return std::nullopt;
}
