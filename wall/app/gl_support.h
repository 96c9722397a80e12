#pragma once
// The wall's "3D support" test: the programs draw through OpenGL on an X11 display, so 3D is
// supported when the window system is X11 (xcb) and an OpenGL context can be created and made
// current there.
namespace halvix {

bool OpenGLAvailable();

}  // namespace halvix
