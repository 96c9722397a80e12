#pragma once
// What a key does in the capture window. The window takes keys before the focused control sees
// them; Space, Backspace and R belong to the seat search while it shows over the window.
#include <QObject>
#include <functional>

class QWidget;

enum class CaptureKeyAction {
    Pass,         // not the window's: the key goes on to the control
    Swallow,      // Enter and Escape never close the window
    PhotoOrSave,  // Space
    Rewrite,      // Backspace
    OpenMenu,     // R: the frame's pop-up menu
    Record,       // F9, always
};

// `seat_search_visible` is asked only for the keys the seat search can take.
CaptureKeyAction CaptureKeyActionFor(int key, const std::function<bool()>& seat_search_visible);

// Takes the keys meant for `window` (it or any of its children) from the application, before the
// focused control sees them, while it lives: a key the control ignored would climb to its parents
// and come by again on each of them (F9 would record again, "11"). `act` is told each key that is
// not passed on.
class CaptureKeyFilter : public QObject {
  public:
    CaptureKeyFilter(QWidget& window, std::function<bool()> seat_search_visible,
                     std::function<void(CaptureKeyAction)> act);
    ~CaptureKeyFilter() override;
    CaptureKeyFilter(const CaptureKeyFilter&) = delete;
    CaptureKeyFilter& operator=(const CaptureKeyFilter&) = delete;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget& window_;
    std::function<bool()> seat_search_visible_;
    std::function<void(CaptureKeyAction)> act_;
};
