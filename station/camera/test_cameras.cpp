#include "camera/test_cameras.h"

// A bin that refuses to leave the NULL state with the error a camera in use gives.
extern "C" {
struct VantorBusyCamera {
    GstBin parent;
};
struct VantorBusyCameraClass {
    GstBinClass parent_class;
};
}

G_DEFINE_TYPE(VantorBusyCamera, vantor_busy_camera, GST_TYPE_BIN)

static GstStateChangeReturn vantor_busy_camera_change_state(GstElement* element, GstStateChange transition) {
    if (transition == GST_STATE_CHANGE_NULL_TO_READY) {
        GST_ELEMENT_ERROR(element, RESOURCE, BUSY, ("Device is busy"),
                          ("the camera is held by another program"));
        return GST_STATE_CHANGE_FAILURE;
    }
    GstElementClass* parent = GST_ELEMENT_CLASS(g_type_class_peek_parent(G_OBJECT_GET_CLASS(element)));
    return parent->change_state(element, transition);
}

static void vantor_busy_camera_class_init(VantorBusyCameraClass* klass) {
    GST_ELEMENT_CLASS(klass)->change_state = vantor_busy_camera_change_state;
}

static void vantor_busy_camera_init(VantorBusyCamera*) {}

namespace vantor::camera {
namespace {

class TestCamera : public VideoDevice {
  public:
    explicit TestCamera(TestCameraDefinition definition) : definition_(std::move(definition)) {}

    std::string Name() const override { return definition_.name; }

    GstCapsPtr Capabilities() const override {
        GstCapsPtr caps(gst_caps_from_string(definition_.caps.c_str()));
        return caps ? std::move(caps) : GstCapsPtr(gst_caps_new_empty());
    }

    GstElementPtr CreateSource(std::string* error) const override {
        GstElement* test = gst_element_factory_make("videotestsrc", nullptr);
        GstElement* filter = gst_element_factory_make("capsfilter", nullptr);
        if (test == nullptr || filter == nullptr) {
            *error = "the GStreamer element \"videotestsrc\" or \"capsfilter\" is not installed";
            if (test != nullptr) {
                gst_object_unref(gst_object_ref_sink(test));
            }
            if (filter != nullptr) {
                gst_object_unref(gst_object_ref_sink(filter));
            }
            return nullptr;
        }
        gst_util_set_object_arg(G_OBJECT(test), "pattern", definition_.pattern.c_str());
        g_object_set(test, "is-live", TRUE, "num-buffers", definition_.frameLimit, "foreground-color",
                     definition_.foregroundArgb, nullptr);
        GstCapsPtr caps = Capabilities();
        g_object_set(filter, "caps", caps.get(), nullptr);

        GType type = definition_.busy ? vantor_busy_camera_get_type() : GST_TYPE_BIN;
        GstElementPtr bin(GST_ELEMENT(gst_object_ref_sink(g_object_new(type, nullptr))));
        gst_bin_add_many(GST_BIN(bin.get()), test, filter, nullptr);
        gst_element_link(test, filter);
        GstPadPtr pad(gst_element_get_static_pad(filter, "src"));
        gst_element_add_pad(bin.get(), gst_ghost_pad_new("src", pad.get()));
        return bin;
    }

  private:
    TestCameraDefinition definition_;
};

}  // namespace

std::optional<TestCameraDefinition> TestCameraPreset(std::string_view key) {
    TestCameraDefinition definition;
    definition.pattern = "ball";
    if (key == "hd") {
        definition.name = "Vantor Test Camera HD";
        definition.caps =
            "video/x-raw,format=YUY2,width=1280,height=720,framerate=30/1;"
            "video/x-raw,format=YUY2,width=640,height=480,framerate=30/1";
    } else if (key == "vga") {
        definition.name = "Vantor Test Camera VGA";
        definition.caps = "video/x-raw,format=I420,width=640,height=480,framerate=30/1";
    } else if (key == "range") {
        definition.name = "Vantor Test Camera Range";
        definition.caps = "video/x-raw,format=YUY2,width=[160,1920,16],height=[120,1080,8],framerate=30/1";
    } else if (key == "odd") {
        definition.name = "Vantor Test Camera Odd";
        definition.caps = "video/x-raw,format=BGR,width=642,height=482,framerate=30/1";
    } else if (key == "busy") {
        definition.name = "Vantor Test Camera Busy";
        definition.busy = true;
    } else {
        return std::nullopt;
    }
    return definition;
}

std::vector<TestCameraDefinition> TestCameraPresets(std::string_view keys) {
    std::vector<TestCameraDefinition> cameras;
    while (!keys.empty()) {
        const std::size_t comma = keys.find(',');
        const std::string_view key = keys.substr(0, comma);
        if (std::optional<TestCameraDefinition> definition = TestCameraPreset(key)) {
            cameras.push_back(*definition);
        }
        keys = comma == std::string_view::npos ? std::string_view() : keys.substr(comma + 1);
    }
    return cameras;
}

TestCameraProvider::TestCameraProvider(std::vector<TestCameraDefinition> cameras) {
    for (TestCameraDefinition& definition : cameras) {
        devices_.push_back(std::make_shared<TestCamera>(std::move(definition)));
    }
}

VideoDeviceList TestCameraProvider::ListDevices() {
    return runtime_.ok() ? devices_ : VideoDeviceList();
}

}  // namespace vantor::camera
