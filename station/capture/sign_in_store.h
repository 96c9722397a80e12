#pragma once
// The files of one sign-in. The camera frame of a photo is kept as "temp.jpg" until the save; the
// save then writes the composed picture into the day's "WithTemplate", the plain photo into
// "NoTemplate" and the voice message into "Audio", all or none: a guest is never half saved, and
// an earlier guest's files are never overwritten. The one exception is the voice message: one
// that cannot be written is lost alone (Saved::voice_written tells), the pictures are saved.
//
// Every file of a save is first written in full beside its place under a hidden temporary name
// and synced; then the composed picture is renamed into place, and that rename decides whether
// the sign-in was saved; the plain photo and the voice message follow it. When the program is
// killed between those renames, FinishInterruptedSaves at the next start puts the rest in place,
// and removes what a save that never reached its decision left behind.
#include <QImage>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>
#include "platform/local_clock.h"
#include "storage/storage_layout.h"
#include "text/tstring.h"

class SignInStore {
  public:
    // The paths of a saved sign-in; they share one stem.
    struct Saved {
        tstring picture;  // "WithTemplate"
        tstring plain;    // "NoTemplate"; empty when there was no camera frame
        tstring voice;    // "Audio": where the voice message of the sign-in is (or would be)
        // False although there were samples: the voice message was lost.
        bool voice_written = false;
        std::string day;   // the day folder's name, "2026-12-9"
        std::string stem;  // the files' stem, "9-5-7" ("9-5-7~2" at station 2)
    };
    // What FinishInterruptedSaves found.
    struct Recovery {
        int completed = 0;  // files of saved sign-ins put in place
        int removed = 0;    // temporary files of saves and copies that did not happen
    };

    // `station` is this station's number: an extra station's files carry it ("9-5-7~2.jpg").
    explicit SignInStore(tstring root = tstring(vantor::kStorageRoot),
                         tstring photo_in_progress = tstring(vantor::kPhotoInProgressFile),
                         int station = vantor::kMainStation);

    // Keeps the camera frame of a new photo. A null frame (no camera, no picture yet) removes a
    // "temp.jpg" left from an earlier run, so it is never saved as this guest's photo.
    void KeepPhoto(const QImage& frame);
    // Forgets the photo and deletes its file (leaving the window).
    void DropPhoto();
    bool HasPhoto() const { return !frame_.isNull(); }

    // Writes the sign-in taken at `time` with its voice message (no file without samples). The
    // stem is the time's hour-minute-second; when an earlier sign-in holds that stem already
    // (the clock was set back), the next free second of the day is used. Nothing when a picture
    // could not be written; then nothing of this attempt is left on disk and the photo in
    // progress is kept for another try. A voice message that cannot be written does not stop
    // the save.
    std::optional<Saved> Save(const vantor::LocalDateTime& time, const QImage& composed,
                              const std::vector<std::uint8_t>& voice = {});

    // Completes the saves that a killed or crashed program left between their renames and
    // removes the temporary files of saves that never completed, in every day folder of the
    // storage root, and the temporary copies of "temp.jpg". Meant for the start of the program,
    // before anything is saved. (The lottery's own copies: RemoveUnfinishedWinnerCopies.)
    Recovery FinishInterruptedSaves() const;

  private:
    std::optional<vantor::LocalDateTime> FreeStem(const tstring& day, vantor::LocalDateTime time) const;
    std::string PlainPhotoBytes() const;

    tstring root_;
    tstring photo_in_progress_;
    int station_;
    QImage frame_;                // the frame of the photo being signed; null when there is none
    bool frame_on_disk_ = false;  // "temp.jpg" holds frame_
};
