#pragma once
// The guest's handwriting with the mouse over the capture window. It watches the window's mouse
// events, its own and those its children pass on to it, and lets each go on as it was: the left
// button writes with the sign-in's pen, the cursor shows that pen over the preview and the frame,
// and a double click over the preview may save (the frame's single-click mode).
#include <QCursor>
#include <QEvent>
#include <QObject>
#include <QRect>
#include <functional>
#include <vector>

class QMouseEvent;
class QWidget;
class SignIn;

class HandwritingInput : public QObject {
  public:
    static constexpr const char16_t* kInkCursor = u"res\\133.png";
    static constexpr const char16_t* kHighlighterCursor = u"res\\135.png";

    // `preview` is in window coordinates. `double_click_saves` is asked on a left double click over
    // the preview and answers whether it saved; the click goes no further then.
    HandwritingInput(QWidget& window, SignIn& sign_in, QRect preview,
                     std::function<bool()> double_click_saves);
    ~HandwritingInput() override;
    HandwritingInput(const HandwritingInput&) = delete;
    HandwritingInput& operator=(const HandwritingInput&) = delete;

    // The widget shows the pen as its cursor: the ink pen's now, whichever pen later.
    void ShowPenOver(QWidget& widget);
    // The cursors show the sign-in's pen; the window's own only while `at` is over the preview.
    void ShowPen(QPoint at);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // True when the event ends here.
    bool OnMouse(QEvent::Type type, const QMouseEvent& event);

    QWidget& window_;
    SignIn& sign_in_;
    QRect preview_;
    std::function<bool()> double_click_saves_;
    QCursor ink_cursor_;
    QCursor highlighter_cursor_;
    std::vector<QWidget*> pen_widgets_;  // children of the window
};
