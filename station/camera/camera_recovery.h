#pragma once
// CameraRecovery: when an open camera counts as dropped out, and when to try it again. Cameras
// unplug, USB hubs reset and drivers stall; the capture window must not be left with a frozen
// picture. The camera's owner looks at the camera every check interval and asks Check what to do:
//   Live      frames arrive; no frame for the stall limit, or a stream error -> DropOut (Lost)
//   Lost      the camera is closed and the notice shows; a retry is due right after the drop-out,
//             then every retry interval, and at once when a device was added -> Reopen (Reopening)
//   Reopening the owner reopens the camera in the background and reports Reopened or ReopenFailed
// The time is always handed in, so the rules run on any clock.
#include <chrono>

namespace vantor::camera {

struct RecoveryTimings {
    // No frame for this long: the camera has dropped out. With the check interval the notice shows
    // at most stallLimit + checkInterval after the last frame.
    std::chrono::milliseconds stallLimit{1500};
    // How often the owner looks at the camera.
    std::chrono::milliseconds checkInterval{250};
    // A lost camera that could not be reopened is tried again after this long.
    std::chrono::milliseconds retryInterval{3000};
};

// What the owner sees when it looks at an open camera.
struct CameraHealth {
    std::chrono::steady_clock::time_point lastFrame;  // the newest frame received; none: the epoch
    bool streamFailed = false;                        // an error stopped the stream
};

class CameraRecovery {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;
    enum class State { Closed, Live, Lost, Reopening };
    enum class Step { None, DropOut, Reopen };

    explicit CameraRecovery(RecoveryTimings timings = {}) : timings_(timings) {}

    // The camera delivers (its first opening or a reopening): watch it from now on.
    void Opened(TimePoint now);
    // Live: DropOut when the stream failed or no frame came for the stall limit (counted from the
    // opening when no frame came since). Lost: Reopen when a retry is due. Otherwise None.
    Step Check(TimePoint now, const CameraHealth& health);
    // A device appeared: a lost camera is tried at the next check, also when a reopening that is
    // under way fails.
    void DeviceAdded();
    void ReopenFailed(TimePoint now);
    // The camera was closed for good (the window leaves): no more steps.
    void Closed();

    State Current() const { return state_; }
    // The camera dropped out and is not back yet.
    bool IsLost() const { return state_ == State::Lost || state_ == State::Reopening; }
    TimePoint NextRetry() const { return nextRetry_; }
    const RecoveryTimings& Timings() const { return timings_; }

  private:
    RecoveryTimings timings_;
    State state_ = State::Closed;
    TimePoint openedAt_{};
    TimePoint nextRetry_{};
    bool retryNow_ = false;  // a device was added: the next check retries whatever the time
};

}  // namespace vantor::camera
