#pragma once
// Test cameras: devices built on GStreamer's videotestsrc that declare chosen capabilities, so
// that the whole capture path can run on a machine without a camera. A test camera's source is
//   videotestsrc (live) ! capsfilter (the declared capabilities)
// so it delivers exactly what it declares and refuses any other format, as a real device does.
#include <optional>
#include <string>
#include <string_view>
#include <vector>
#include "camera/gst_runtime.h"
#include "camera/video_device.h"

namespace vantor::camera {

struct TestCameraDefinition {
    std::string name = "Vantor Test Camera";
    std::string caps = "video/x-raw,format=YUY2,width=640,height=480,framerate=30/1";  // GStreamer caps text
    std::string pattern = "smpte";         // a videotestsrc pattern
    unsigned foregroundArgb = 0xffffffff;  // colour of the "solid-color" pattern
    int frameLimit = -1;                   // frames delivered before the camera falls silent; -1 for no end
    bool busy = false;                     // refuses to start, as a camera another program holds
};

// Named test cameras, as VANTOR_TEST_CAMERA names them:
//   "hd"    1280x720 and 640x480 (YUY2)        "vga"   640x480 only (I420)
//   "range" 160..1920 step 16 x 120..1080 step 8  "odd"   642x482, rows not a multiple of 4 bytes
//   "busy"  fails to start as if in use
std::optional<TestCameraDefinition> TestCameraPreset(std::string_view key);

// Test cameras for a list of preset keys separated by commas ("hd,vga"); unknown keys are skipped.
std::vector<TestCameraDefinition> TestCameraPresets(std::string_view keys);

class TestCameraProvider : public VideoDeviceProvider {
  public:
    explicit TestCameraProvider(std::vector<TestCameraDefinition> cameras);
    VideoDeviceList ListDevices() override;

  private:
    GstRuntime runtime_;
    VideoDeviceList devices_;
};

}  // namespace vantor::camera
