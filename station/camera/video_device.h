#pragma once
// Where the device layer gets its cameras from. A provider lists the devices in its enumeration
// order; each device has a display name, declares the capabilities it can deliver and makes the
// source element of a capture graph. The station's provider is the GStreamer device monitor;
// test cameras (test_cameras.h) are a second provider.
#include <memory>
#include <string>
#include <vector>
#include "gst_ptr.h"

namespace vantor::camera {

class VideoDevice {
  public:
    virtual ~VideoDevice() = default;
    virtual std::string Name() const = 0;  // UTF-8
    // What tells this camera from others of the same name (its name and, where the system knows
    // it, its serial number), the same when it is unplugged and plugged in again; UTF-8.
    virtual std::string Identity() const { return Name(); }
    // What the device can deliver; any caps when it does not say.
    virtual GstCapsPtr Capabilities() const = 0;
    // A new source element for a capture graph; null with *error set when it cannot be made.
    virtual GstElementPtr CreateSource(std::string* error) const = 0;
};

using VideoDeviceList = std::vector<std::shared_ptr<const VideoDevice>>;

class VideoDeviceProvider {
  public:
    virtual ~VideoDeviceProvider() = default;
    virtual VideoDeviceList ListDevices() = 0;
    // Whether a device was added since the last call; answers at once. A provider that cannot
    // tell answers false (a lost camera is then found by trying it again now and then).
    virtual bool DevicesAdded() { return false; }
};

}  // namespace vantor::camera
