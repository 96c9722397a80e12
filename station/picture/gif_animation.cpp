#include "picture/gif_animation.h"

GifAnimation::GifAnimation(std::vector<int> delays_cs, bool looping)
    : delays_cs_(std::move(delays_cs)), looping_(looping) {}

int GifAnimation::Restart() {
    frame_ = 0;
    return DelayMs(0);
}

int GifAnimation::DelayMs(int frame) const {
    if (frame < 0 || frame >= FrameCount()) {
        return 100;
    }
    const int delay_cs = delays_cs_[static_cast<std::size_t>(frame)];
    return (delay_cs > 0 ? delay_cs : 10) * 10;
}

GifAnimation::Step GifAnimation::Tick(bool visible) {
    Step step;
    if (!visible || !IsAnimated()) {
        step.next_delay_ms = DelayMs(frame_);
        return step;
    }
    ++frame_;
    if (frame_ >= FrameCount()) {
        frame_ = 0;
        step.ended = !looping_;
    }
    step.advanced = true;
    step.next_delay_ms = DelayMs(frame_);
    return step;
}
