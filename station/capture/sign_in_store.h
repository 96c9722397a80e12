#pragma once
// The files of one sign-in. The camera frame of a photo is kept as "temp.jpg" until the save; the
// save then writes the composed picture into the day's "WithTemplate" and the plain photo into
// "NoTemplate", both or neither: a guest is never half saved, and an earlier guest's picture is
// never overwritten.
#include <QImage>
#include <optional>
#include "platform/local_clock.h"
#include "storage/storage_layout.h"
#include "text/tstring.h"

class SignInStore {
  public:
    // The paths of a saved sign-in; they share one stem.
    struct Saved {
        tstring picture;  // "WithTemplate"
        tstring plain;    // "NoTemplate"; empty when there was no camera frame
        tstring voice;    // "Audio", for the voice message of the same sign-in
    };

    explicit SignInStore(tstring root = tstring(vantor::kStorageRoot),
                         tstring photo_in_progress = tstring(vantor::kPhotoInProgressFile));

    // Keeps the camera frame of a new photo. A null frame (no camera, no picture yet) removes a
    // "temp.jpg" left from an earlier run, so it is never saved as this guest's photo.
    void KeepPhoto(const QImage& frame);
    // Forgets the photo and deletes its file (leaving the window).
    void DropPhoto();
    bool HasPhoto() const { return !frame_.isNull(); }

    // Writes the sign-in taken at `time`. The stem is the time's hour-minute-second; when an
    // earlier sign-in holds that stem already (the clock was set back), the next free second of
    // the day is used. Nothing when a picture could not be written; then nothing of this attempt
    // is left on disk and the photo in progress is kept for another try.
    std::optional<Saved> Save(const vantor::LocalDateTime& time, const QImage& composed);

  private:
    std::optional<vantor::LocalDateTime> FreeStem(const tstring& day, vantor::LocalDateTime time) const;
    bool WritePlainPhoto(const tstring& path) const;

    tstring root_;
    tstring photo_in_progress_;
    QImage frame_;                // the frame of the photo being signed; null when there is none
    bool frame_on_disk_ = false;  // "temp.jpg" holds frame_
};
