#include "camera/camera_recovery.h"
#include <algorithm>

namespace vantor::camera {

void CameraRecovery::Opened(TimePoint now) {
    state_ = State::Live;
    openedAt_ = now;
    retryNow_ = false;
}

CameraRecovery::Step CameraRecovery::Check(TimePoint now, const CameraHealth& health) {
    switch (state_) {
        case State::Live: {
            const TimePoint since = std::max(openedAt_, health.lastFrame);
            if (health.streamFailed || now - since >= timings_.stallLimit) {
                state_ = State::Lost;
                // The first try comes at once: a stalled driver may well start again, and a camera
                // that is gone fails quickly.
                nextRetry_ = now;
                retryNow_ = false;
                return Step::DropOut;
            }
            return Step::None;
        }
        case State::Lost:
            if (retryNow_ || now >= nextRetry_) {
                state_ = State::Reopening;
                retryNow_ = false;
                return Step::Reopen;
            }
            return Step::None;
        case State::Closed:
        case State::Reopening:
            return Step::None;
    }
    return Step::None;
}

void CameraRecovery::DeviceAdded() {
    if (IsLost()) {
        retryNow_ = true;
    }
}

void CameraRecovery::ReopenFailed(TimePoint now) {
    if (state_ != State::Reopening) {
        return;
    }
    state_ = State::Lost;
    nextRetry_ = now + timings_.retryInterval;
}

void CameraRecovery::Closed() {
    state_ = State::Closed;
    retryNow_ = false;
}

}  // namespace vantor::camera
