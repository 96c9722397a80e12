#include "capture/sign_in.h"

#include "capture/sign_in_files.h"

SignIn::SignIn(const vantor::Clock& clock, GuestCounter& counter, SignInStore store, SoundCue play,
               travenor::CWaveRecorder::MicrophoneFactory microphone)
    : clock_(clock),
      counter_(counter),
      store_(std::move(store)),
      play_(std::move(play)),
      last_action_time_(clock.Now()),
      recorder_(std::move(microphone)) {}

SignIn::PhotoResult SignIn::TakePhoto(bool save_animation_playing, const Picture& camera_frame,
                                      const Picture& copy_preview) {
    if (save_animation_playing) {
        return PhotoResult::Refused;
    }
    const vantor::LocalDateTime now = clock_.Now();
    if (SameSecond(now, last_action_time_)) {
        return PhotoResult::Refused;
    }
    play_(kPhotoSound);
    last_action_time_ = now;
    if (captured_) {
        return PhotoResult::AlreadyCaptured;
    }
    store_.KeepPhoto(camera_frame ? camera_frame() : QImage());
    // Taken while nothing is captured, so the copy shows the live picture in the frame exactly
    // as the guest saw it, never a still of an earlier guest.
    ink_.SetStill(copy_preview ? copy_preview() : QImage());
    captured_ = true;
    drawing_ = false;
    last_action_time_ = clock_.Now();
    return PhotoResult::Taken;
}

SignIn::SaveResult SignIn::Save(const Picture& copy_preview) {
    const vantor::LocalDateTime now = clock_.Now();
    if (SameSecond(now, last_action_time_)) {
        return SaveResult::Refused;
    }
    last_action_time_ = now;
    SaveResult result = SaveResult::NoPhoto;
    if (captured_) {
        play_(kSaveSound);
        QImage composed = copy_preview ? copy_preview() : QImage();
        if (insert_time_ && !composed.isNull()) {
            DrawTimeStamp(composed, now, QPoint(preview_rect_.width() - 200, preview_rect_.height() - 40));
        }
        const std::optional<SignInStore::Saved> saved =
            composed.isNull() ? std::nullopt : store_.Save(now, composed);
        if (!saved) {
            last_action_time_ = clock_.Now();
            return SaveResult::NotSaved;
        }
        last_saved_ = saved;
        last_saved_picture_ = saved->picture;
        // The voice message goes with the pictures, under their stem.
        recorder_.Stop(saved->voice);
        EndCapture();
        result = SaveResult::Saved;
    }
    counter_.Add();
    last_action_time_ = clock_.Now();
    return result;
}

bool SignIn::Discard() {
    if (!captured_) {
        return false;
    }
    // "temp.jpg" stays until the next photo replaces it or the window is left.
    recorder_.Stop(tstring());
    EndCapture();
    return true;
}

bool SignIn::Rewrite() {
    if (!captured_) {
        return false;
    }
    ink_.ClearStrokes();
    return true;
}

void SignIn::Leave() {
    recorder_.Stop(tstring());
    store_.DropPhoto();
}

SignIn::RecordResult SignIn::Record() {
    if (!captured_) {
        return RecordResult::NotCaptured;
    }
    switch (recorder_.Start()) {
        case travenor::CWaveRecorder::StartResult::AlreadyRecording:
            return RecordResult::AlreadyRecording;
        case travenor::CWaveRecorder::StartResult::NoDevice:
            return RecordResult::NoMicrophone;
        case travenor::CWaveRecorder::StartResult::Started:
            break;
    }
    return RecordResult::Started;
}

void SignIn::PenDown(QPoint at) {
    if (captured_ && preview_rect_.contains(at)) {
        drawing_ = true;
        last_point_ = at;
    }
}

std::optional<QRect> SignIn::PenMove(QPoint at, bool left_held) {
    if (!left_held || !drawing_ || !captured_ || !preview_rect_.contains(at)) {
        return std::nullopt;
    }
    const StrokeSegment segment{last_point_.x(), last_point_.y(), at.x(),    at.y(),
                                pen_kind_,       pen_colour_,     pen_width_};
    last_point_ = at;
    return ink_.Add(segment);
}

void SignIn::EndCapture() {
    captured_ = false;
    drawing_ = false;
    ink_.Clear();
}
