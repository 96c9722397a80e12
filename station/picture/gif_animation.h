#pragma once
// The stepping of an animated picture, without a window: which frame shows, how long it stays,
// and when a picture that plays once has ended. Frame delays come from the file in hundredths of
// a second; a delay of 0 (which a file may carry to mean "as fast as possible") counts as 10,
// as desktop picture viewers and browsers play it.
#include <vector>

class GifAnimation {
  public:
    struct Step {
        bool advanced = false;  // a new frame is to be shown
        bool ended = false;     // a single pass came to its end: tell the owner and hide
        int next_delay_ms = 0;  // when the next tick is due
    };

    GifAnimation() = default;
    // Delays in hundredths of a second, one per frame.
    GifAnimation(std::vector<int> delays_cs, bool looping);

    int FrameCount() const { return static_cast<int>(delays_cs_.size()); }
    int Frame() const { return frame_; }
    bool IsLooping() const { return looping_; }
    // More than one frame: a timer runs. A still picture never ticks.
    bool IsAnimated() const { return FrameCount() > 1; }

    // Back to the first frame; its delay in milliseconds.
    int Restart();
    // One tick of the timer. While the picture is hidden the tick is ignored: the frame stays and
    // the same delay is waited again.
    Step Tick(bool visible);
    int DelayMs(int frame) const;

  private:
    std::vector<int> delays_cs_;
    bool looping_ = true;
    int frame_ = 0;
};
