#include "capture/sign_in.h"

#include <QLoggingCategory>
#include "capture/sign_in_files.h"
#include "platform/native_path.h"

// What a sign-in does, step by step (off unless enabled, e.g. QT_LOGGING_RULES="vantor.signin.info=true").
Q_LOGGING_CATEGORY(lcSignIn, "vantor.signin", QtWarningMsg)

SignIn::SignIn(const vantor::Clock& clock, GuestCounter& counter, SignInStore store, SoundCue play,
               travenor::CWaveRecorder::MicrophoneFactory microphone)
    : clock_(clock),
      counter_(counter),
      store_(std::move(store)),
      play_(std::move(play)),
      last_action_time_(clock.Now()),
      recorder_(std::move(microphone)) {
    recorder_.SetMicrophoneStoppedObserver([this] {
        HoldRecording();
        if (microphone_stopped_) {
            microphone_stopped_();
        }
    });
    qCInfo(lcSignIn) << "ready";
}

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
    last_link_.reset();
    store_.KeepPhoto(camera_frame ? camera_frame() : QImage());
    // Taken while nothing is captured, so the copy shows the live picture in the frame exactly
    // as the guest saw it, never a still of an earlier guest.
    ink_.SetStill(copy_preview ? copy_preview() : QImage());
    captured_ = true;
    drawing_ = false;
    last_action_time_ = clock_.Now();
    qCInfo(lcSignIn) << (store_.HasPhoto() ? "photo taken" : "photo taken without a camera picture");
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
        qCInfo(lcSignIn) << "saving";
        play_(kSaveSound);
        QImage composed = copy_preview ? copy_preview() : QImage();
        if (insert_time_ && !composed.isNull()) {
            DrawTimeStamp(composed, now, QPoint(preview_rect_.width() - 200, preview_rect_.height() - 40));
        }
        // The voice message is one of the sign-in's files: it ends here and is written with the
        // pictures, so a sign-in on disk always has the message it was saved with.
        HoldRecording();
        const SaveYieldScope quiet(save_yield_);
        const std::optional<SignInStore::Saved> saved =
            composed.isNull() ? std::nullopt : store_.Save(now, composed, held_voice_);
        if (!saved) {
            // The message recorded so far stays with the sign-in for the next attempt.
            qCWarning(lcSignIn) << "the sign-in could not be saved";
            last_action_time_ = clock_.Now();
            return SaveResult::NotSaved;
        }
        qCInfo(lcSignIn).nospace() << "saved " << vantor::ToNativePath(saved->picture).c_str()
                                   << (saved->plain.IsEmpty() ? "" : " with photo")
                                   << (saved->voice_written ? " with voice" : "");
        const bool voice_lost = !held_voice_.empty() && !saved->voice_written;
        if (voice_lost) {
            qCWarning(lcSignIn) << "the voice message of the sign-in was lost";
        }
        last_saved_ = saved;
        last_saved_picture_ = saved->picture;
        // After the decision: a link that cannot be recorded never undoes the save.
        last_link_ = links_ ? links_->Record(*saved) : std::nullopt;
        EndCapture();
        result = voice_lost ? SaveResult::SavedWithoutVoice : SaveResult::Saved;
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
    held_voice_.clear();
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
    qCInfo(lcSignIn) << "recording";
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

void SignIn::HoldRecording() {
    const std::vector<std::uint8_t> taken = recorder_.StopAndTakeSamples();
    held_voice_.insert(held_voice_.end(), taken.begin(), taken.end());
}

void SignIn::EndCapture() {
    held_voice_.clear();
    captured_ = false;
    drawing_ = false;
    ink_.Clear();
}
