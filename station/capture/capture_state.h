#pragma once
// The capture window's states and the steps between them. The window shows what its state says
// and asks here before it acts; a step the table does not hold is refused and changes nothing.
// The sign-in (SignIn) decides whether a photo or a save succeeds; the window then takes the step
// that names what happened.
#include <optional>

enum class CaptureState {
    Live,           // the camera picture in the template's opening; the button reads "拍照"
    Captured,       // the still on screen, the guest writes over it; the button reads "保存"
    Recording,      // as Captured, with a voice message being recorded
    SaveAnimation,  // after a save: the animation over the preview, no photo until it ends
    Closed,         // the guest left the window
};

enum class CaptureEvent {
    PhotoTaken,
    RecordingStarted,  // also with a microphone that could not be opened: it counts as recording
    RecordingEnded,    // the microphone stopped by itself, or a save that failed ended it
    Saved,             // the sign-in is on disk; the save animation starts
    AnimationEnded,    // the animation's end message, or at once when there is none to play
    Discarded,
    Left,
};

struct CaptureTransition {
    CaptureState from;
    CaptureEvent event;
    CaptureState to;
};

inline constexpr CaptureTransition kCaptureTransitions[] = {
    {CaptureState::Live, CaptureEvent::PhotoTaken, CaptureState::Captured},
    {CaptureState::Live, CaptureEvent::Left, CaptureState::Closed},

    {CaptureState::Captured, CaptureEvent::RecordingStarted, CaptureState::Recording},
    {CaptureState::Captured, CaptureEvent::Saved, CaptureState::SaveAnimation},
    {CaptureState::Captured, CaptureEvent::Discarded, CaptureState::Live},
    {CaptureState::Captured, CaptureEvent::Left, CaptureState::Closed},

    {CaptureState::Recording, CaptureEvent::RecordingEnded, CaptureState::Captured},
    {CaptureState::Recording, CaptureEvent::Saved, CaptureState::SaveAnimation},
    {CaptureState::Recording, CaptureEvent::Discarded, CaptureState::Live},
    {CaptureState::Recording, CaptureEvent::Left, CaptureState::Closed},

    {CaptureState::SaveAnimation, CaptureEvent::AnimationEnded, CaptureState::Live},
    {CaptureState::SaveAnimation, CaptureEvent::Left, CaptureState::Closed},
};

// Where the event leads from the state; nothing when the table refuses it.
constexpr std::optional<CaptureState> NextCaptureState(CaptureState from, CaptureEvent event) {
    for (const CaptureTransition& step : kCaptureTransitions) {
        if (step.from == from && step.event == event) {
            return step.to;
        }
    }
    return std::nullopt;
}

// The capture window's current state; it starts live.
class CaptureFlow {
  public:
    CaptureState State() const { return state_; }
    bool Allows(CaptureEvent event) const { return NextCaptureState(state_, event).has_value(); }
    // Takes the step; false, the state unchanged, when the table refuses it.
    bool Apply(CaptureEvent event);
    // A photo is on screen, recorded over or not.
    bool HasPhoto() const { return state_ == CaptureState::Captured || state_ == CaptureState::Recording; }

  private:
    CaptureState state_ = CaptureState::Live;
};
