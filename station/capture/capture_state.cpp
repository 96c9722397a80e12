#include "capture/capture_state.h"

bool CaptureFlow::Apply(CaptureEvent event) {
    const std::optional<CaptureState> next = NextCaptureState(state_, event);
    if (next) {
        state_ = *next;
    }
    return next.has_value();
}
