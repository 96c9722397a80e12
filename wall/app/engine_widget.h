#pragma once
// The engine's output window (control 2000): a native child window that Qt never paints, so that
// the render thread's OpenGL device can draw into it. Mouse input is not taken here; it passes to
// the main window, which forwards it to the scene.
#include <QWidget>

namespace halvix {

class EngineWidget : public QWidget {
  public:
    explicit EngineWidget(QWidget* parent);
    QPaintEngine* paintEngine() const override { return nullptr; }

  protected:
    void paintEvent(QPaintEvent*) override {}
};

}  // namespace halvix
