#pragma once
// Test cameras: devices built on GStreamer's videotestsrc that declare chosen capabilities, so
// that the whole capture path can run on a machine without a camera. A test camera's source is
//   videotestsrc (live) ! capsfilter (the declared capabilities)
// so it delivers exactly what it declares and refuses any other format, as a real device does.
// A test camera can also drop out as real ones do, and come back.
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>
#include "gst_runtime.h"
#include "camera/video_device.h"

namespace vantor::camera {

// How an opening of a test camera ends after its frames: not at all, by stalling (frames stop and
// nothing is said, as a driver that hangs), or by unplugging (an error on the bus and no more
// frames, as a camera pulled out).
enum class DropOut { None, Stall, Unplug };

// The figures of a camera that drops out.
struct DropOutFigures {
    int frames = 150;                      // frames an opening delivers before it drops out
    std::chrono::milliseconds away{4000};  // missing from the device list after the drop-out
    int drops = 1;                         // openings that drop out; 0: every one
};

struct TestCameraDefinition {
    std::string name = "Vantor Test Camera";
    std::string caps = "video/x-raw,format=YUY2,width=640,height=480,framerate=30/1";  // GStreamer caps text
    std::string pattern = "smpte";         // a videotestsrc pattern
    std::string picture;                   // a PNG file the camera looks at instead of the pattern
    unsigned foregroundArgb = 0xffffffff;  // colour of the "solid-color" pattern
    int frameLimit = -1;                   // frames delivered before the stream ends; -1 for no end
    bool busy = false;                     // refuses to start, as a camera another program holds
    DropOut dropOut = DropOut::None;       // with dropFigures: how, when and for how long
    DropOutFigures dropFigures;
};

// Named test cameras, as VANTOR_TEST_CAMERA names them:
//   "hd"    1280x720 and 640x480 (YUY2)        "vga"   640x480 only (I420)
//   "range" 160..1920 step 16 x 120..1080 step 8  "odd"   642x482, rows not a multiple of 4 bytes
//   "busy"  fails to start as if in use
//   "drop"  640x480 (YUY2) that stalls after a number of frames, is away a while and comes back
//   "unplug" the same, but it drops out with an error on the bus, as when it is pulled out
//   "picture:<PNG file>"  640x480 (YUY2) looking at a still picture, as a card held up to it
// The two that drop out take the figures given.
std::optional<TestCameraDefinition> TestCameraPreset(std::string_view key,
                                                     const DropOutFigures& figures = {});

// Test cameras for a list of preset keys separated by commas ("hd,vga"); unknown keys are skipped.
std::vector<TestCameraDefinition> TestCameraPresets(std::string_view keys,
                                                    const DropOutFigures& figures = {});

// The figures from the texts of VANTOR_TEST_CAMERA_FRAMES, VANTOR_TEST_CAMERA_AWAY (milliseconds)
// and VANTOR_TEST_CAMERA_DROPS; a missing or unreadable text keeps the default.
DropOutFigures DropOutFiguresFrom(const char* frames, const char* away, const char* drops);

class TestCameraProvider : public VideoDeviceProvider {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;
    // Tells the time, from any thread: the listing and the streaming threads both ask it.
    using Now = std::function<TimePoint()>;

    explicit TestCameraProvider(std::vector<TestCameraDefinition> cameras,
                                Now now = &std::chrono::steady_clock::now);
    // The cameras that are there now: one that dropped out is missing while it is away.
    VideoDeviceList ListDevices() override;
    // A camera missing at the last call is there again.
    bool DevicesAdded() override;

  private:
    GstRuntime runtime_;
    Now now_;
    VideoDeviceList devices_;
    std::mutex mutex_;  // guards presentBefore_
    std::vector<bool> presentBefore_;
};

}  // namespace vantor::camera
