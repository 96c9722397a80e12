#include "synthetic_input.h"

#include <cstring>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <cstdlib>

namespace vantor_test {

namespace {

// A window of the program under test can go between listing it and asking for its attributes;
// Xlib's own handler would end the test program for that (BadWindow). Such a window is skipped.
int IgnoreGoneWindows(Display*, XErrorEvent*) {
    return 0;
}

}  // namespace

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
    void Press(KeySym symbol) const {
        const KeyCode code = XKeysymToKeycode(display, symbol);
        XTestFakeKeyEvent(display, code, True, CurrentTime);
        XTestFakeKeyEvent(display, code, False, CurrentTime);
    }
    void PressShifted(KeySym symbol) const {
        const KeyCode shift = XKeysymToKeycode(display, XK_Shift_L);
        XTestFakeKeyEvent(display, shift, True, CurrentTime);
        Press(symbol);
        XTestFakeKeyEvent(display, shift, False, CurrentTime);
    }
    // The bytes of a window's property of that type (at most `longs` 32-bit units); empty when it
    // has none.
    std::string Property(Window window, const char* name, Atom wanted, long longs, int* format) const {
        Atom type = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        std::string bytes;
        if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, longs, False, wanted,
                               &type, format, &count, &after, &data) == Success &&
            data != nullptr) {
            // Items of format 32 are longs in memory, whatever their size on the wire.
            const std::size_t item = *format == 32 ? sizeof(long) : static_cast<std::size_t>(*format / 8);
            bytes.assign(reinterpret_cast<const char*>(data), count * item);
        }
        if (data != nullptr) {
            XFree(data);
        }
        return bytes;
    }
    // The process a window's program said it runs in (_NET_WM_PID); 0 when it did not.
    long Pid(Window window) const {
        int format = 0;
        const std::string bytes = Property(window, "_NET_WM_PID", XA_CARDINAL, 1, &format);
        long pid = 0;
        if (format == 32 && bytes.size() == sizeof pid) {
            std::memcpy(&pid, bytes.data(), sizeof pid);
        }
        return pid;
    }
    // A window's title in UTF-8: the desktop's name property (Qt writes it in UTF-8), else the
    // classic one, which holds Latin-1 titles only.
    std::string Title(Window window) const {
        int format = 0;
        std::string title =
            Property(window, "_NET_WM_NAME", XInternAtom(display, "UTF8_STRING", False), 1024, &format);
        if (title.empty()) {
            char* name = nullptr;
            if (XFetchName(display, window, &name) != 0 && name != nullptr) {
                title = name;
                XFree(name);
            }
        }
        return title;
    }
};

SyntheticInput::SyntheticInput() : connection_(std::make_unique<Connection>()) {
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') {
        missing_ =
            "needs an X display (DISPLAY is not set): run the tests under Xvfb, as the test command does";
        return;
    }
    XSetErrorHandler(&IgnoreGoneWindows);
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
        case Key::Down:
            symbol = XK_Down;
            break;
        case Key::Tab:
            symbol = XK_Tab;
            break;
    }
    connection_->Press(symbol);
    connection_->Sync();
}

void SyntheticInput::Type(const std::string& text) {
    if (!missing_.empty()) {
        return;
    }
    for (const char c : text) {
        // These characters have key symbols of their own character code.
        const unsigned char code = static_cast<unsigned char>(c);
        if ((code >= 'a' && code <= 'z') || (code >= '0' && code <= '9') || code == ' ' || code == '-' ||
            code == '.') {
            connection_->Press(code);
        } else if (c == '@' || c == ':') {
            connection_->PressShifted(c == '@' ? XK_at : XK_colon);
        }
    }
    connection_->Sync();
}

QImage SyntheticInput::Grab(const QRect& area) const {
    if (!missing_.empty() || area.isEmpty()) {
        return {};
    }
    Display* display = connection_->display;
    XImage* image = XGetImage(display, DefaultRootWindow(display), area.x(), area.y(),
                              static_cast<unsigned int>(area.width()),
                              static_cast<unsigned int>(area.height()), AllPlanes, ZPixmap);
    if (image == nullptr) {
        return {};
    }
    QImage grabbed(area.size(), QImage::Format_RGB32);
    for (int y = 0; y < area.height(); ++y) {
        for (int x = 0; x < area.width(); ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            grabbed.setPixel(x, y,
                             qRgb(static_cast<int>((pixel & image->red_mask) >> 16),
                                  static_cast<int>((pixel & image->green_mask) >> 8),
                                  static_cast<int>(pixel & image->blue_mask)));
        }
    }
    XDestroyImage(image);
    return grabbed;
}

void SyntheticInput::Raise(unsigned long window) {
    if (!missing_.empty()) {
        return;
    }
    XRaiseWindow(connection_->display, window);
    XSetInputFocus(connection_->display, window, RevertToParent, CurrentTime);
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
    return Find(&title);
}

std::vector<SyntheticInput::TopLevel> SyntheticInput::Shown() const {
    return Find(nullptr);
}

std::vector<SyntheticInput::TopLevel> SyntheticInput::Find(const std::string* title) const {
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
        if (XGetWindowAttributes(display, children[i], &attributes) == 0 ||
            attributes.map_state != IsViewable) {
            continue;
        }
        std::string name = connection_->Title(children[i]);
        if (title == nullptr || name == *title) {
            found.push_back({children[i],
                             QRect(attributes.x, attributes.y, attributes.width, attributes.height),
                             std::move(name), connection_->Pid(children[i])});
        }
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
        if (connection_->Title(focus) == title) {
            return focus;
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
