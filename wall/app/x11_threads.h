#pragma once
// The wall talks to the X server from two threads (Qt on the window thread, the engine on the
// render thread); Xlib must be told so before anyone opens a display.
namespace halvix {

void EnableThreadedX11();

}  // namespace halvix
