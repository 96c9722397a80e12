#include "camera/test_cameras.h"
#include <algorithm>
#include <cstdlib>
#include <limits>

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

// The drop-out state of the test cameras: what they are told at set-up on one thread is read by a
// pad probe on a streaming thread, which GStreamer hands the pipeline through GLib's own
// synchronisation; this lock makes the order plain. A probe takes it for a moment per frame.
std::mutex g_dropOutMutex;  // guards every DropOutLife and OpeningProbe

// One camera's drop-outs over all its openings.
struct DropOutLife {
    int openings = 0;
    std::optional<TestCameraProvider::TimePoint> droppedAt;
};

// One opening of a camera that drops out, as its probe sees it.
struct OpeningProbe {
    std::shared_ptr<DropOutLife> life;
    TestCameraProvider::Now now;
    DropOut kind = DropOut::None;
    int limit = 0;
    int delivered = 0;
    bool dropped = false;
};

// Lets the opening's first frames through, then drops every frame; an opening that unplugs says
// so on the bus once.
GstPadProbeReturn DropOutProbe(GstPad* pad, GstPadProbeInfo*, gpointer data) {
    bool unplug = false;
    {
        std::lock_guard lock(g_dropOutMutex);
        OpeningProbe& probe = *static_cast<OpeningProbe*>(data);
        if (probe.dropped) {
            return GST_PAD_PROBE_DROP;
        }
        if (probe.delivered < probe.limit) {
            ++probe.delivered;
            return GST_PAD_PROBE_OK;
        }
        probe.dropped = true;
        probe.life->droppedAt = probe.now();
        unplug = probe.kind == DropOut::Unplug;
    }
    if (unplug) {
        GstElementPtr element(gst_pad_get_parent_element(pad));
        GST_ELEMENT_ERROR(element.get(), RESOURCE, READ, ("Could not read from resource."),
                          ("the test camera was pulled out"));
    }
    return GST_PAD_PROBE_DROP;
}

void FreeProbe(gpointer data) {
    std::lock_guard lock(g_dropOutMutex);
    delete static_cast<OpeningProbe*>(data);
}

class TestCamera : public VideoDevice {
  public:
    TestCamera(TestCameraDefinition definition, TestCameraProvider::Now now)
        : definition_(std::move(definition)), now_(std::move(now)), life_(std::make_shared<DropOutLife>()) {}

    std::string Name() const override { return definition_.name; }

    GstCapsPtr Capabilities() const override {
        GstCapsPtr caps(gst_caps_from_string(definition_.caps.c_str()));
        return caps ? std::move(caps) : GstCapsPtr(gst_caps_new_empty());
    }

    GstElementPtr CreateSource(std::string* error) const override {
        const GstElementPtr filter = MakeElement("capsfilter");
        GType type = definition_.busy ? vantor_busy_camera_get_type() : GST_TYPE_BIN;
        GstElementPtr bin(GST_ELEMENT(gst_object_ref_sink(g_object_new(type, nullptr))));
        if (!filter ||
            !(definition_.picture.empty() ? AddPattern(*bin, *filter) : AddPicture(*bin, *filter))) {
            *error = "the GStreamer elements of the test camera are not installed";
            return nullptr;
        }
        GstCapsPtr caps = Capabilities();
        g_object_set(filter.get(), "caps", caps.get(), nullptr);
        GstPadPtr pad(gst_element_get_static_pad(filter.get(), "src"));
        if (OpeningProbe* probe = NextOpeningProbe()) {
            gst_pad_add_probe(pad.get(), GST_PAD_PROBE_TYPE_BUFFER, &DropOutProbe, probe, &FreeProbe);
        }
        gst_element_add_pad(bin.get(), gst_ghost_pad_new("src", pad.get()));
        return bin;
    }

    // Not listed from its drop-out until it has been away long enough.
    bool PresentAt(TestCameraProvider::TimePoint now) const {
        std::lock_guard lock(g_dropOutMutex);
        return !life_->droppedAt || now - *life_->droppedAt >= definition_.dropFigures.away;
    }

  private:
    // videotestsrc (live) ! filter, in `bin`.
    bool AddPattern(GstElement& bin, GstElement& filter) const {
        const GstElementPtr test = MakeElement("videotestsrc");
        if (!test) {
            return false;
        }
        gst_util_set_object_arg(G_OBJECT(test.get()), "pattern", definition_.pattern.c_str());
        g_object_set(test.get(), "is-live", TRUE, "num-buffers", definition_.frameLimit, "foreground-color",
                     definition_.foregroundArgb, nullptr);
        gst_bin_add_many(GST_BIN(&bin), test.get(), &filter, nullptr);
        return gst_element_link(test.get(), &filter);
    }
    // filesrc ! pngdec ! videoconvert ! videoscale ! imagefreeze (live) ! filter, in `bin`.
    bool AddPicture(GstElement& bin, GstElement& filter) const {
        const GstElementPtr chain[] = {MakeElement("filesrc"), MakeElement("pngdec"),
                                       MakeElement("videoconvert"), MakeElement("videoscale"),
                                       MakeElement("imagefreeze")};
        if (std::any_of(std::begin(chain), std::end(chain),
                        [](const GstElementPtr& element) { return !element; })) {
            return false;
        }
        g_object_set(chain[0].get(), "location", definition_.picture.c_str(), nullptr);
        g_object_set(chain[4].get(), "is-live", TRUE, nullptr);
        gst_bin_add(GST_BIN(&bin), &filter);
        GstElement* previous = nullptr;
        for (const GstElementPtr& element : chain) {
            gst_bin_add(GST_BIN(&bin), element.get());
            if (previous != nullptr && !gst_element_link(previous, element.get())) {
                return false;
            }
            previous = element.get();
        }
        return gst_element_link(previous, &filter);
    }

    // The probe of an opening that is to drop out, or null.
    OpeningProbe* NextOpeningProbe() const {
        if (definition_.dropOut == DropOut::None) {
            return nullptr;
        }
        std::lock_guard lock(g_dropOutMutex);
        const int opening = ++life_->openings;
        const int drops = definition_.dropFigures.drops;
        if (drops > 0 && opening > drops) {
            return nullptr;
        }
        auto* probe = new OpeningProbe;
        probe->life = life_;
        probe->now = now_;
        probe->kind = definition_.dropOut;
        probe->limit = definition_.dropFigures.frames;
        return probe;
    }

    TestCameraDefinition definition_;
    TestCameraProvider::Now now_;
    std::shared_ptr<DropOutLife> life_;  // its fields are guarded by g_dropOutMutex
};

// A count of at least zero from an environment text, or the fallback.
long long CountOr(const char* text, long long fallback) {
    if (text == nullptr || *text == '\0') {
        return fallback;
    }
    char* end = nullptr;
    const long long value = std::strtoll(text, &end, 10);
    return *end == '\0' && value >= 0 ? value : fallback;
}

}  // namespace

std::optional<TestCameraDefinition> TestCameraPreset(std::string_view key, const DropOutFigures& figures) {
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
    } else if (key.starts_with("picture:")) {
        definition.name = "Vantor Test Camera Picture";
        definition.caps = "video/x-raw,format=YUY2,width=640,height=480,framerate=30/1";
        definition.picture = std::string(key.substr(8));
    } else if (key == "drop" || key == "unplug") {
        definition.name = key == "drop" ? "Vantor Test Camera Drop" : "Vantor Test Camera Unplug";
        definition.caps = "video/x-raw,format=YUY2,width=640,height=480,framerate=30/1";
        definition.dropOut = key == "drop" ? DropOut::Stall : DropOut::Unplug;
        definition.dropFigures = figures;
    } else {
        return std::nullopt;
    }
    return definition;
}

std::vector<TestCameraDefinition> TestCameraPresets(std::string_view keys, const DropOutFigures& figures) {
    std::vector<TestCameraDefinition> cameras;
    while (!keys.empty()) {
        const std::size_t comma = keys.find(',');
        const std::string_view key = keys.substr(0, comma);
        if (std::optional<TestCameraDefinition> definition = TestCameraPreset(key, figures)) {
            cameras.push_back(*definition);
        }
        keys = comma == std::string_view::npos ? std::string_view() : keys.substr(comma + 1);
    }
    return cameras;
}

DropOutFigures DropOutFiguresFrom(const char* frames, const char* away, const char* drops) {
    constexpr long long kMaxCount = std::numeric_limits<int>::max();
    DropOutFigures figures;
    figures.frames = static_cast<int>(std::min(CountOr(frames, figures.frames), kMaxCount));
    figures.away = std::chrono::milliseconds(CountOr(away, figures.away.count()));
    figures.drops = static_cast<int>(std::min(CountOr(drops, figures.drops), kMaxCount));
    return figures;
}

TestCameraProvider::TestCameraProvider(std::vector<TestCameraDefinition> cameras, Now now)
    : now_(std::move(now)) {
    for (TestCameraDefinition& definition : cameras) {
        devices_.push_back(std::make_shared<TestCamera>(std::move(definition), now_));
    }
    presentBefore_.assign(devices_.size(), true);
}

VideoDeviceList TestCameraProvider::ListDevices() {
    if (!runtime_.ok()) {
        return {};
    }
    const TimePoint now = now_();
    VideoDeviceList present;
    for (const std::shared_ptr<const VideoDevice>& device : devices_) {
        if (static_cast<const TestCamera&>(*device).PresentAt(now)) {
            present.push_back(device);
        }
    }
    return present;
}

bool TestCameraProvider::DevicesAdded() {
    const TimePoint now = now_();
    std::lock_guard lock(mutex_);
    bool added = false;
    for (std::size_t i = 0; i < devices_.size(); ++i) {
        const bool present = static_cast<const TestCamera&>(*devices_[i]).PresentAt(now);
        added = added || (present && !presentBefore_[i]);
        presentBefore_[i] = present;
    }
    return added;
}

}  // namespace vantor::camera
