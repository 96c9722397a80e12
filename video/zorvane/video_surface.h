#pragma once
// The window a host keeps for the video: a native X window that Qt never paints, since the
// pictures arrive there from the media framework. A repaint the window system asks for is passed
// on (the host hands it to vpNotifyOwnerMessage, which draws the last picture again).
#include <QWidget>
#include <functional>
#include "zorvane_export.h"

namespace zorvane {

class ZORVANE_EXPORT VideoSurface : public QWidget {
  public:
    explicit VideoSurface(QWidget* parent, std::function<void()> on_paint = {});
    QPaintEngine* paintEngine() const override { return nullptr; }

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    std::function<void()> on_paint_;
};

}  // namespace zorvane
