#pragma once
// The machine's cameras, as the GStreamer device monitor lists them under "Video/Source".
#include "camera/gst_runtime.h"
#include "camera/video_device.h"

namespace vantor::camera {

class MonitorDeviceProvider : public VideoDeviceProvider {
  public:
    VideoDeviceList ListDevices() override;

  private:
    GstRuntime runtime_;
};

}  // namespace vantor::camera
