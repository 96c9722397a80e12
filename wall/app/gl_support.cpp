#include "app/gl_support.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>

namespace halvix {

bool OpenGLAvailable() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        return false;
    }
    QOffscreenSurface surface;
    surface.create();
    QOpenGLContext context;
    if (!surface.isValid() || !context.create() || !context.makeCurrent(&surface)) {
        return false;
    }
    const auto* renderer = context.functions()->glGetString(GL_RENDERER);
    context.doneCurrent();
    return renderer != nullptr;
}

}  // namespace halvix
