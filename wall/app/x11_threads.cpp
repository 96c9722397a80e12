#include "app/x11_threads.h"

#include <X11/Xlib.h>

namespace halvix {

void EnableThreadedX11() {
    XInitThreads();
}

}  // namespace halvix
