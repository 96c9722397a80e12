#pragma once
// Test helpers for widgets: wait for a condition while the event loop runs, paint before a screen
// grab, and deliver mouse clicks directly to a widget.
#include <QApplication>
#include <QCoreApplication>
#include <QTest>
#include <QMouseEvent>
#include <optional>
#include <QWidget>

namespace vantor_test {

// The first visible top-level window of that class, or null.
template <typename Window>
Window* VisibleTopLevel() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<Window*>(widget); window != nullptr && window->isVisible()) {
            return window;
        }
    }
    return nullptr;
}

// Runs the event loop until the predicate holds or the time is up; answers the predicate.
template <typename Predicate>
bool WaitUntil(Predicate predicate, int timeout_ms = 5000) {
    return QTest::qWaitFor([&] { return static_cast<bool>(predicate()); }, timeout_ms);
}

// Paints every shown window now and hands its pixels to the X server, so that a grab of the screen
// that follows shows them: the server carries out one client's requests in order.
inline void PaintNow() {
    QCoreApplication::sendPostedEvents();
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible()) {
            widget->repaint();
        }
    }
    QCoreApplication::processEvents();
}

inline void SendMouse(QWidget* widget, QEvent::Type type, const QPoint& at, Qt::MouseButtons held) {
    const QPointF local(at);
    QMouseEvent event(type, local, widget->mapToGlobal(local), Qt::LeftButton, held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

// Press and release of the left button at a point of the widget (its centre by default).
inline void LeftClick(QWidget* widget, std::optional<QPoint> at = std::nullopt) {
    const QPoint point = at.value_or(widget->rect().center());
    SendMouse(widget, QEvent::MouseButtonPress, point, Qt::LeftButton);
    SendMouse(widget, QEvent::MouseButtonRelease, point, Qt::NoButton);
}

// A double click as the window system delivers it: press, release, double click, release.
inline void LeftDoubleClick(QWidget* widget, const QPoint& at) {
    LeftClick(widget, at);
    SendMouse(widget, QEvent::MouseButtonDblClick, at, Qt::LeftButton);
    SendMouse(widget, QEvent::MouseButtonRelease, at, Qt::NoButton);
}

}  // namespace vantor_test
