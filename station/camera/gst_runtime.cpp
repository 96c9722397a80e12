#include "camera/gst_runtime.h"
#include <gst/gst.h>
#include <mutex>
#include "camera/gst_ptr.h"
#include "platform/sound.h"

namespace vantor::camera {
namespace {

std::mutex g_runtimeMutex;  // guards g_users, g_initialised and g_initError
int g_users = 0;
bool g_initialised = false;
std::string g_initError;

}  // namespace

GstRuntime::GstRuntime() {
    std::lock_guard lock(g_runtimeMutex);
    if (!g_initialised) {
        GError* raw = nullptr;
        g_initialised = gst_init_check(nullptr, nullptr, &raw) != FALSE;
        if (g_initialised) {
            // The microphone's autoaudiosrc: see LimitAudioAutodetection.
            LimitAudioAutodetection();
        }
        GErrorPtr error(raw);
        g_initError =
            g_initialised ? std::string() : std::string(error ? error->message : "GStreamer did not start");
    }
    ++g_users;
    ok_ = g_initialised;
    error_ = g_initError;
}

GstRuntime::~GstRuntime() {
    std::lock_guard lock(g_runtimeMutex);
    --g_users;
}

int GstRuntime::Users() {
    std::lock_guard lock(g_runtimeMutex);
    return g_users;
}

}  // namespace vantor::camera
