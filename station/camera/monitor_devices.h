#pragma once
// The machine's cameras, as the GStreamer device monitor lists them under "Video/Source". Once
// asked whether devices were added, a started monitor watches for cameras that are plugged in.
#include <mutex>
#include "gst_runtime.h"
#include "camera/video_device.h"

namespace vantor::camera {

class MonitorDeviceProvider : public VideoDeviceProvider {
  public:
    MonitorDeviceProvider() = default;
    ~MonitorDeviceProvider() override;
    MonitorDeviceProvider(const MonitorDeviceProvider&) = delete;
    MonitorDeviceProvider& operator=(const MonitorDeviceProvider&) = delete;
    MonitorDeviceProvider(MonitorDeviceProvider&&) = delete;
    MonitorDeviceProvider& operator=(MonitorDeviceProvider&&) = delete;

    VideoDeviceList ListDevices() override;
    bool DevicesAdded() override;

  private:
    GstRuntime runtime_;
    std::mutex watchMutex_;  // guards watcher_ and watching_
    GstDeviceMonitorPtr watcher_;
    bool watching_ = false;  // watcher_ was started
};

}  // namespace vantor::camera
