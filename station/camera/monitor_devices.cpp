#include "camera/monitor_devices.h"

namespace vantor::camera {
namespace {

class MonitoredDevice : public VideoDevice {
  public:
    explicit MonitoredDevice(GstDevicePtr device) : device_(std::move(device)) {}

    std::string Name() const override {
        GCharsPtr name(gst_device_get_display_name(device_.get()));
        return name ? std::string(name.get()) : std::string();
    }
    GstCapsPtr Capabilities() const override {
        GstCapsPtr caps(gst_device_get_caps(device_.get()));
        return caps ? std::move(caps) : GstCapsPtr(gst_caps_new_any());
    }
    GstElementPtr CreateSource(std::string* error) const override {
        GstElement* element = gst_device_create_element(device_.get(), nullptr);
        if (element == nullptr) {
            *error = "the device gave no source element";
            return nullptr;
        }
        return GstElementPtr(GST_ELEMENT(gst_object_ref_sink(element)));
    }

  private:
    GstDevicePtr device_;
};

}  // namespace

VideoDeviceList MonitorDeviceProvider::ListDevices() {
    VideoDeviceList devices;
    if (!runtime_.ok()) {
        return devices;
    }
    GstDeviceMonitorPtr monitor(gst_device_monitor_new());
    gst_device_monitor_add_filter(monitor.get(), "Video/Source", nullptr);
    GList* list = gst_device_monitor_get_devices(monitor.get());
    for (GList* item = list; item != nullptr; item = item->next) {
        devices.push_back(std::make_shared<MonitoredDevice>(RefObject(GST_DEVICE(item->data))));
    }
    g_list_free_full(list, gst_object_unref);
    return devices;
}

}  // namespace vantor::camera
