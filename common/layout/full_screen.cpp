#include "layout/full_screen.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace vantor {

QScreen* TargetScreen(const QWidget* window, QScreen* screen) {
    if (screen != nullptr) {
        return screen;
    }
    if (window != nullptr && window->screen() != nullptr) {
        return window->screen();
    }
    return QGuiApplication::primaryScreen();
}

QRect PlaceFullScreen(QWidget* window, QScreen* screen) {
    QScreen* target = TargetScreen(window, screen);
    if (window == nullptr || target == nullptr) {
        return QRect();
    }
    const QRect rect = target->geometry();
    window->setWindowFlag(Qt::FramelessWindowHint, true);
    window->setScreen(target);
    window->setGeometry(rect);
    // A window manager, when there is one, then also keeps panels from covering the window.
    window->setWindowState(window->windowState() | Qt::WindowFullScreen);
    return rect;
}

}  // namespace vantor
