#pragma once
// The guest's pen as the panel sets it: the colour picker, the width slider and the ink pen and
// highlighter buttons give the sign-in its pen. The window repaints as the width changes: all of it
// while the slider moves, the photo when the slider is let go.
#include <functional>

class CapturePanel;
class QWidget;
class SignIn;
struct PenChoice;

class CapturePens {
  public:
    // Starts with a black pen 3 wide, the slider's least; `chosen` is told after a pen's button
    // changed the pen.
    CapturePens(QWidget& window, CapturePanel& panel, SignIn& sign_in, std::function<void()> chosen);

    // The picker's colour becomes the pen's.
    void TakeColour();
    // A pen's button: the panel shows the pen, the sign-in writes with it in the picker's colour.
    void Use(const PenChoice& pen);

  private:
    CapturePanel& panel_;
    SignIn& sign_in_;
    std::function<void()> chosen_;
};
