#include "synthetic_input.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <cstdlib>

namespace vantor_test {

struct SyntheticInput::Connection {
    Display* display = nullptr;
    ~Connection() {
        if (display != nullptr) {
            XCloseDisplay(display);
        }
    }
    void Sync() const { XSync(display, False); }
    void MoveTo(QPoint at) const {
        XTestFakeMotionEvent(display, DefaultScreen(display), at.x(), at.y(), CurrentTime);
    }
    void Button(unsigned int button, bool down) const {
        XTestFakeButtonEvent(display, button, down ? True : False, CurrentTime);
    }
};

SyntheticInput::SyntheticInput() : connection_(std::make_unique<Connection>()) {
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') {
        missing_ =
            "needs an X display (DISPLAY is not set): run the tests under Xvfb, as the test command does";
        return;
    }
    connection_->display = XOpenDisplay(name);
    if (connection_->display == nullptr) {
        missing_ = std::string("cannot open the X display ") + name;
        return;
    }
    int event_base = 0;
    int error_base = 0;
    int major = 0;
    int minor = 0;
    if (!XTestQueryExtension(connection_->display, &event_base, &error_base, &major, &minor)) {
        missing_ =
            std::string("the X display ") + name +
            " has no XTEST extension for synthetic input (Xvfb has it unless started with -extension XTEST)";
    }
}

SyntheticInput::~SyntheticInput() = default;

QSize SyntheticInput::ScreenSize() const {
    if (connection_->display == nullptr) {
        return {};
    }
    const int screen = DefaultScreen(connection_->display);
    return {DisplayWidth(connection_->display, screen), DisplayHeight(connection_->display, screen)};
}

void SyntheticInput::Tap(Key key) {
    if (!missing_.empty()) {
        return;
    }
    KeySym symbol = XK_space;
    switch (key) {
        case Key::Space:
            symbol = XK_space;
            break;
        case Key::F9:
            symbol = XK_F9;
            break;
        case Key::Escape:
            symbol = XK_Escape;
            break;
        case Key::Return:
            symbol = XK_Return;
            break;
    }
    const KeyCode code = XKeysymToKeycode(connection_->display, symbol);
    XTestFakeKeyEvent(connection_->display, code, True, CurrentTime);
    XTestFakeKeyEvent(connection_->display, code, False, CurrentTime);
    connection_->Sync();
}

void SyntheticInput::Click(QPoint at) {
    if (!missing_.empty()) {
        return;
    }
    connection_->MoveTo(at);
    connection_->Button(1, true);
    connection_->Button(1, false);
    connection_->Sync();
}

void SyntheticInput::Drag(const std::initializer_list<QPoint>& points) {
    if (!missing_.empty() || points.size() == 0) {
        return;
    }
    connection_->MoveTo(*points.begin());
    connection_->Button(1, true);
    for (const QPoint& point : points) {
        connection_->MoveTo(point);
        connection_->Sync();
    }
    connection_->Button(1, false);
    connection_->Sync();
}

void SyntheticInput::Wheel(QPoint at, int steps) {
    if (!missing_.empty()) {
        return;
    }
    connection_->MoveTo(at);
    const unsigned int button = steps > 0 ? 4 : 5;
    for (int i = 0; i < std::abs(steps); ++i) {
        connection_->Button(button, true);
        connection_->Button(button, false);
    }
    connection_->Sync();
}

std::vector<SyntheticInput::TopLevel> SyntheticInput::Windows(const std::string& title) const {
    std::vector<TopLevel> found;
    if (!missing_.empty()) {
        return found;
    }
    Display* display = connection_->display;
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) == 0) {
        return found;
    }
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes attributes{};
        char* name = nullptr;
        if (XGetWindowAttributes(display, children[i], &attributes) == 0 ||
            attributes.map_state != IsViewable || XFetchName(display, children[i], &name) == 0 ||
            name == nullptr) {
            continue;
        }
        if (title == name) {
            found.push_back(
                {children[i], QRect(attributes.x, attributes.y, attributes.width, attributes.height)});
        }
        XFree(name);
    }
    if (children != nullptr) {
        XFree(children);
    }
    return found;
}

unsigned long SyntheticInput::KeyboardIn(const std::string& title) const {
    if (!missing_.empty()) {
        return 0;
    }
    Display* display = connection_->display;
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    // Up to the window whose parent is the root: the top-level window (there is no window manager
    // that would put frames around it).
    const Window root = DefaultRootWindow(display);
    while (focus != 0 && focus != PointerRoot && focus != root) {
        char* name = nullptr;
        if (XFetchName(display, focus, &name) != 0 && name != nullptr) {
            const bool match = title == name;
            XFree(name);
            if (match) {
                return focus;
            }
        }
        Window parent = 0;
        Window found_root = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(display, focus, &found_root, &parent, &children, &count) == 0) {
            return 0;
        }
        if (children != nullptr) {
            XFree(children);
        }
        focus = parent;
    }
    return 0;
}

}  // namespace vantor_test
