#pragma once
// CGifImage: an animated picture (GIF) in a child window. Each frame stays for the delay the file
// gives it; a looping picture starts over, one that plays once sends message 0x46F to its notify
// window at its end and hides. Ticks while the window is hidden do not advance it.
#include <QTimer>
#include <vector>
#include "picture/gif_animation.h"
#include "picture/skin_image.h"

class CGifImage : public CSkinImage {
    Q_OBJECT
  public:
    static constexpr int kEndedMessage = 0x46F;
    // More frames than any animation of the station has; a file claiming more is cut there.
    static constexpr int kMaxFrames = 1000;

    explicit CGifImage(bool looping = true);

    bool Load(const tstring& path) override;
    // Also starts the animation when the picture has more than one frame; the parent is told the
    // end of a single pass.
    bool Create(QWidget* parent, int x, int y, int width, int height) override;
    void Release() override;

    // Shows the picture from its first frame. False for a still picture, which has nothing to
    // play and so counts as ended at once (the window is then left hidden).
    bool Play();

    const GifAnimation& Animation() const { return animation_; }
    bool IsLooping() const { return looping_; }
    // One tick of the frame timer (timer 1).
    void Tick();

  protected:
    const QImage& Current() const override;

  private:
    bool looping_;
    std::vector<QImage> frames_;
    GifAnimation animation_;
    QTimer timer_;  // timer 1: single shot, restarted with each frame's delay
    QWidget* notify_ = nullptr;
};
