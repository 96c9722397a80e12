#include "camera/monitor_devices.h"
#include "camera/camera_log.h"

namespace vantor::camera {
namespace {

class MonitoredDevice : public VideoDevice {
  public:
    explicit MonitoredDevice(GstDevicePtr device) : device_(std::move(device)) {}

    std::string Name() const override {
        GCharsPtr name(gst_device_get_display_name(device_.get()));
        return name ? std::string(name.get()) : std::string();
    }
    // The device path may change when a camera comes back; its name and serial number do not.
    std::string Identity() const override {
        std::string identity = Name();
        GstStructurePtr properties(gst_device_get_properties(device_.get()));
        const gchar* serial =
            properties ? gst_structure_get_string(properties.get(), "device.serial") : nullptr;
        if (serial != nullptr && *serial != '\0') {
            identity += " #";
            identity += serial;
        }
        return identity;
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

GstDeviceMonitorPtr NewVideoSourceMonitor() {
    GstDeviceMonitorPtr monitor(gst_device_monitor_new());
    gst_device_monitor_add_filter(monitor.get(), "Video/Source", nullptr);
    return monitor;
}

}  // namespace

MonitorDeviceProvider::~MonitorDeviceProvider() {
    std::lock_guard lock(watchMutex_);
    if (watching_) {
        gst_device_monitor_stop(watcher_.get());
    }
}

VideoDeviceList MonitorDeviceProvider::ListDevices() {
    VideoDeviceList devices;
    if (!runtime_.ok()) {
        return devices;
    }
    GstDeviceMonitorPtr monitor = NewVideoSourceMonitor();
    GList* list = gst_device_monitor_get_devices(monitor.get());
    for (GList* item = list; item != nullptr; item = item->next) {
        devices.push_back(std::make_shared<MonitoredDevice>(RefObject(GST_DEVICE(item->data))));
    }
    g_list_free_full(list, gst_object_unref);
    return devices;
}

// The started monitor posts a message on its bus for every camera plugged in or pulled out; they
// are taken off the bus here, without a main loop.
bool MonitorDeviceProvider::DevicesAdded() {
    if (!runtime_.ok()) {
        return false;
    }
    std::lock_guard lock(watchMutex_);
    if (!watcher_) {
        watcher_ = NewVideoSourceMonitor();
        watching_ = gst_device_monitor_start(watcher_.get());
        if (!watching_) {
            qCInfo(lcCamera) << "the device monitor does not watch; a lost camera is tried now and then";
        }
    }
    if (!watching_) {
        return false;
    }
    GstBusPtr bus(gst_device_monitor_get_bus(watcher_.get()));
    bool added = false;
    while (GstMessagePtr message{gst_bus_pop(bus.get())}) {
        if (GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_DEVICE_ADDED) {
            added = true;
        }
    }
    if (added) {
        qCInfo(lcCamera) << "a camera was plugged in";
    }
    return added;
}

}  // namespace vantor::camera
