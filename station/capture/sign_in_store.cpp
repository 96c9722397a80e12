#include "capture/sign_in_store.h"

#include "capture/sign_in_files.h"

SignInStore::SignInStore(tstring root, tstring photo_in_progress)
    : root_(std::move(root)), photo_in_progress_(std::move(photo_in_progress)) {}

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

std::optional<SignInStore::Saved> SignInStore::Save(const vantor::LocalDateTime& time,
                                                    const QImage& composed) {
    vantor::EnsureDayFolders(root_, time);  // the storage root with them
    const tstring day = vantor::DatedFolder(root_, time);
    const std::optional<vantor::LocalDateTime> stem = FreeStem(day, time);
    if (!stem) {
        return std::nullopt;
    }
    Saved saved;
    saved.picture = vantor::PictureFile(vantor::WithTemplateFolder(day), *stem);
    saved.voice = vantor::VoiceFile(vantor::AudioFolder(day), *stem);
    if (HasPhoto()) {
        saved.plain = vantor::PictureFile(vantor::NoTemplateFolder(day), *stem);
        if (!WritePlainPhoto(saved.plain)) {
            return std::nullopt;
        }
    }
    if (!WriteNewJpeg(composed, saved.picture)) {
        if (!saved.plain.IsEmpty()) {
            DeleteFileAt(saved.plain);
        }
        return std::nullopt;
    }
    DropPhoto();
    return saved;
}

bool SignInStore::WritePlainPhoto(const tstring& path) const {
    // The file the camera frame was kept in, encoded again; the frame itself when the file could
    // not be written at the time of the photo.
    if (frame_on_disk_ && ReencodeJpeg(photo_in_progress_, path)) {
        return true;
    }
    return WriteNewJpeg(frame_, path);
}

std::optional<vantor::LocalDateTime> SignInStore::FreeStem(const tstring& day,
                                                           vantor::LocalDateTime time) const {
    for (int seconds = time.hour * 3600 + time.minute * 60 + time.second; seconds < 24 * 3600; ++seconds) {
        time.hour = seconds / 3600;
        time.minute = seconds / 60 % 60;
        time.second = seconds % 60;
        const bool taken = FileExists(vantor::PictureFile(vantor::WithTemplateFolder(day), time)) ||
                           FileExists(vantor::PictureFile(vantor::NoTemplateFolder(day), time)) ||
                           FileExists(vantor::VoiceFile(vantor::AudioFolder(day), time));
        if (!taken) {
            return time;
        }
    }
    return std::nullopt;
}
