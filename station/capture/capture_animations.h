#pragma once
// The capture window's two animations: "Normal.gif" looping where the template list is, beneath
// every control, and "Save.gif" once over the preview after each save. A file that is missing or
// does not decode leaves its animation out.
#include <QRect>
#include <memory>
#include "picture/gif_image.h"

class CaptureAnimations {
  public:
    static constexpr const char16_t* kIdleAnimation = u"images\\wedding\\Gif\\Normal.gif";
    static constexpr const char16_t* kSaveAnimation = u"images\\wedding\\Gif\\Save.gif";

    // Children of `window`: the idle animation in `list_area`, the save animation over `preview`
    // and beneath it, hidden until it plays.
    CaptureAnimations(QWidget& window, const QRect& list_area, QWidget& preview);

    CGifImage* Idle() const { return idle_.get(); }
    CGifImage* Save() const { return save_.get(); }
    // True when the save animation plays; its end message is sent to the window. A missing,
    // broken or still "Save.gif" has nothing to play.
    bool PlaySave() { return save_ && save_->Play(); }

  private:
    // Released here, before the window's own children go.
    std::unique_ptr<CGifImage> idle_;
    std::unique_ptr<CGifImage> save_;
};
