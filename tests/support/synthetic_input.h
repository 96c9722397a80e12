#pragma once
// Input as a user gives it, for driving a program in another process on the X display: key
// presses, clicks, drags and wheel turns go through the X server's XTEST extension, so the
// program receives them exactly as it would from a keyboard and a mouse.
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <memory>
#include <string>
#include <vector>

namespace vantor_test {

class SyntheticInput {
  public:
    enum class Key { Space, F9, Escape, Return, Down, Tab };

    // Connects to the display named by DISPLAY.
    SyntheticInput();
    ~SyntheticInput();
    SyntheticInput(const SyntheticInput&) = delete;
    SyntheticInput& operator=(const SyntheticInput&) = delete;

    // Empty when input can be given; otherwise what is missing (no display, no XTEST).
    const std::string& Missing() const { return missing_; }
    QSize ScreenSize() const;

    void Tap(Key key);
    // Types the text's lower-case letters, digits, blanks, hyphens and dots, one key each, and
    // '@' and ':' with the shift key.
    void Type(const std::string& text);
    void Click(QPoint at);
    // Presses the left button at the first point, moves through the others and releases it.
    void Drag(const std::initializer_list<QPoint>& points);
    // Turns the wheel by `steps` notches at the point: positive away from the user (up).
    void Wheel(QPoint at, int steps);
    // The top-level window with this title that has the keyboard focus, so that a key goes there
    // and nowhere else; 0 when the focus is elsewhere.
    unsigned long KeyboardIn(const std::string& title) const;
    // The shown top-level windows with this title and where they are on the screen.
    struct TopLevel {
        unsigned long id = 0;
        QRect rect;
        std::string title;
        long pid = 0;  // the program's process, as it says (0 when it does not)
    };
    std::vector<TopLevel> Windows(const std::string& title) const;
    // Every shown top-level window.
    std::vector<TopLevel> Shown() const;
    // Brings a top-level window to the front with the keyboard, as the operator switching to it
    // would (there is no window manager to do it).
    void Raise(unsigned long window);
    // What the screen shows in the rectangle (null when it cannot be read).
    QImage Grab(const QRect& area) const;

  private:
    struct Connection;
    std::vector<TopLevel> Find(const std::string* title) const;

    std::unique_ptr<Connection> connection_;
    std::string missing_;
};

}  // namespace vantor_test
