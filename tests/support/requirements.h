#pragma once
// What a display test needs from the machine it runs on. A test that lacks it fails and names what is
// missing; it never passes by skipping.
#include <QGuiApplication>
#include <QString>
#include <string>

namespace vantor_test {

// Empty when the test runs on an X display; otherwise what is missing and how to get it.
inline std::string MissingDisplay() {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        return "needs an X display (DISPLAY is not set): run the tests under Xvfb, as the test command does";
    }
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        return "needs Qt's xcb platform on the X display; the platform here is " +
               QGuiApplication::platformName().toStdString();
    }
    return {};
}

}  // namespace vantor_test
