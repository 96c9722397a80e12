#pragma once
// One guest's sign-in as the capture window runs it, without the window: the photo, the
// handwriting over its still, the pens, the save with its files, and the refusals (a second
// action in the same second, a photo while the save animation plays). The window turns its
// clicks and keys into these steps and shows what they leave; tests drive them directly.
#include <QImage>
#include <QPoint>
#include <QRect>
#include <functional>
#include <optional>
#include "capture/guest_counter.h"
#include "capture/ink_layer.h"
#include "capture/personal_links.h"
#include "capture/save_yield.h"
#include "capture/sign_in_store.h"
#include "platform/local_clock.h"
#include "voice/wave_recorder.h"

class SignIn {
  public:
    using Picture = std::function<QImage()>;
    using SoundCue = std::function<void(const tstring& path)>;

    enum class PhotoResult {
        Refused,          // the save animation plays, or the same second as the last action
        AlreadyCaptured,  // a photo is on screen already: only the time and the sound
        Taken,
    };
    enum class SaveResult {
        Refused,   // the same second as the last action
        NoPhoto,   // nothing captured: the guest is counted all the same
        Saved,     // both pictures written, the guest counted
        NotSaved,  // a picture could not be written: nothing counted, the sign-in stays
        // Saved, but the voice message could not be written and is lost.
        SavedWithoutVoice,
    };

    enum class RecordResult {
        NotCaptured,       // no photo yet: language string "10"
        AlreadyRecording,  // language string "11"
        Started,
        NoMicrophone,  // told already; counts as recording until the save or discard
    };

    static constexpr const char16_t* kPhotoSound = u"Sound\\cap.wav";
    static constexpr const char16_t* kSaveSound = u"Sound\\save.wav";

    // `play` plays a sound file when it exists; `counter` belongs to the station; `microphone`
    // opens the microphone for a voice message.
    SignIn(const vantor::Clock& clock, GuestCounter& counter, SignInStore store, SoundCue play,
           travenor::CWaveRecorder::MicrophoneFactory microphone = &travenor::MakeMicrophone);

    // The preview's rectangle in window units: handwriting happens inside it and the time stamp
    // sits at its lower right.
    void SetPreviewRect(QRect rect) { preview_rect_ = rect; }
    QRect PreviewRect() const { return preview_rect_; }

    // `camera_frame` is the camera's current frame (null without one); `copy_preview` the preview
    // area as the guest sees it, taken before anything of the photo shows.
    PhotoResult TakePhoto(bool save_animation_playing, const Picture& camera_frame,
                          const Picture& copy_preview);
    // `copy_preview` now shows the still with the handwriting.
    SaveResult Save(const Picture& copy_preview);
    // Drops the photo and its handwriting; false when nothing was captured.
    bool Discard();
    // Erases the handwriting; false when nothing was captured.
    bool Rewrite();
    // Leaving the window: the photo in progress is deleted, a voice message thrown away.
    void Leave();
    // The voice message: recorded while the photo is on screen, written with the save under the
    // pictures' stem, thrown away with a discard. A save that fails ends the recording but keeps
    // what was recorded for the next attempt; a new recording before it is added to that.
    RecordResult Record();
    bool IsRecording() const { return recorder_.IsRecording(); }
    // Told when the microphone stops by itself while recording: the recording has ended, and
    // what it recorded stays with the sign-in for the save.
    void SetMicrophoneStoppedHandler(std::function<void()> handler) {
        microphone_stopped_ = std::move(handler);
    }
    travenor::CWaveRecorder& Recorder() { return recorder_; }
    // Each save from now on records a personal link; nothing disables them again.
    void SetPersonalLinks(std::optional<PersonalLinks> links) { links_ = std::move(links); }
    // Held while a sign-in is written and recorded; none when null.
    void SetSaveYield(SaveYield* yield) { save_yield_ = yield; }
    // The link of the last save to show, nothing when it has none; a new photo clears it.
    const std::optional<std::string>& LastLink() const { return last_link_; }

    // Handwriting. PenMove answers the window rectangle that changed when a segment was drawn.
    void PenDown(QPoint at);
    std::optional<QRect> PenMove(QPoint at, bool left_held);
    void PenUp() { drawing_ = false; }

    void SetPenKind(int kind) { pen_kind_ = kind; }
    void SetPenColour(std::uint32_t colour) { pen_colour_ = colour; }
    void SetPenWidth(int width) { pen_width_ = width; }
    void ToggleInsertTime() { insert_time_ = !insert_time_; }

    bool IsCaptured() const { return captured_; }
    bool IsDrawing() const { return drawing_; }
    int PenKind() const { return pen_kind_; }
    std::uint32_t PenColour() const { return pen_colour_; }
    int PenWidth() const { return pen_width_; }
    bool InsertTimeOn() const { return insert_time_; }
    const std::vector<StrokeSegment>& Strokes() const { return ink_.Strokes(); }
    const QImage& Still() const { return ink_.Still(); }
    // The still with the handwriting, in the still's pixels; null while nothing is captured.
    const QImage& InkedStill() { return ink_.Picture(); }
    const tstring& LastSavedPicture() const { return last_saved_picture_; }
    // The files of the last save (for the voice message and printing).
    const std::optional<SignInStore::Saved>& LastSaved() const { return last_saved_; }
    const vantor::LocalDateTime& LastActionTime() const { return last_action_time_; }

  private:
    void EndCapture();
    // Adds what the recorder has to the message held for the save; the recording ends.
    void HoldRecording();

    const vantor::Clock& clock_;
    GuestCounter& counter_;
    SignInStore store_;
    SoundCue play_;
    QRect preview_rect_;

    bool captured_ = false;
    bool drawing_ = false;
    QPoint last_point_;
    InkLayer ink_;
    int pen_kind_ = kInkPen;
    std::uint32_t pen_colour_ = 0;
    int pen_width_ = 3;
    bool insert_time_ = true;
    vantor::LocalDateTime last_action_time_;
    tstring last_saved_picture_;
    std::optional<SignInStore::Saved> last_saved_;
    std::optional<PersonalLinks> links_;
    SaveYield* save_yield_ = nullptr;
    std::optional<std::string> last_link_;
    // Recorded for a save that has not succeeded yet, or before the microphone stopped.
    std::vector<std::uint8_t> held_voice_;
    std::function<void()> microphone_stopped_;
    travenor::CWaveRecorder recorder_;
};
