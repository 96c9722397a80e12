#include "camera/video_device_set.h"
#include <QString>
#include <algorithm>
#include <cstdio>
#include "camera/capture_caps.h"
#include "camera/camera_log.h"
#include "camera/capture_graph.h"
#include "camera/sample_grabber_callback.h"

using vantor::GstCapsPtr;
using vantor::camera::CapsSize;
using vantor::camera::CaptureError;
using vantor::camera::CaptureGraph;

namespace {

// How long a device may take to deliver its first frame when it starts.
constexpr std::chrono::milliseconds kStartTimeout{5000};

void Diagnostic(const char* text) {
    std::fputs(text, stdout);
    std::fflush(stdout);
}

}  // namespace

CVideoDeviceSet::Slot::Slot() = default;
CVideoDeviceSet::Slot::~Slot() {
    graph.reset();
    receiver.reset();
}

CVideoDeviceSet::CVideoDeviceSet(vantor::camera::VideoDeviceProvider& provider) : provider_(provider) {
    for (std::unique_ptr<Slot>& slot : slots_) {
        slot = std::make_unique<Slot>();
    }
}

CVideoDeviceSet::~CVideoDeviceSet() {
    for (std::unique_ptr<Slot>& slot : slots_) {
        slot.reset();
    }
}

int CVideoDeviceSet::ListDevices() {
    devices_ = provider_.ListDevices();
    if (devices_.size() > static_cast<std::size_t>(kMaxDevices)) {
        devices_.resize(kMaxDevices);
    }
    for (std::size_t i = 0; i < devices_.size(); ++i) {
        const QString name = QString::fromUtf8(devices_[i]->Name());
        const qsizetype length = std::min<qsizetype>(name.size(), kMaxNameLength);
        std::array<char16_t, kNameUnits>& entry = names_[i];
        entry.fill(u'\0');
        std::copy_n(reinterpret_cast<const char16_t*>(name.utf16()), length, entry.begin());
    }
    return static_cast<int>(devices_.size());
}

const char16_t* CVideoDeviceSet::GetDeviceName(int index) const {
    return ValidIndex(index) ? names_[static_cast<std::size_t>(index)].data() : nullptr;
}

bool CVideoDeviceSet::SetupDevice(int index, int width, int height) {
    if (!ValidIndex(index) || slots_[static_cast<std::size_t>(index)]->InUse()) {
        Diagnostic("ERROR: SetupDevice() - device id out of range or already in use\n");
        return false;
    }
    std::printf("SETUP: Setting up device %i\n", index);
    const int count = ListDevices();
    if (index >= count) {
        Diagnostic("ERROR: SetupDevice() - no device at that index\n");
        return false;
    }
    return SetupListed(index, width, height);
}

int CVideoDeviceSet::SetupDeviceByIdentity(const std::string& identity, int width, int height) {
    const int count = ListDevices();
    for (int index = 0; index < count; ++index) {
        if (devices_[static_cast<std::size_t>(index)]->Identity() != identity) {
            continue;
        }
        if (slots_[static_cast<std::size_t>(index)]->InUse()) {
            Diagnostic("ERROR: SetupDevice() - device id out of range or already in use\n");
            return -1;
        }
        qCInfo(lcCamera) << "setting up" << identity.c_str() << "again as device" << index;
        return SetupListed(index, width, height) ? index : -1;
    }
    qCInfo(lcCamera) << identity.c_str() << "is not among the devices";
    return -1;
}

// Sets up the slot of a device in the list just made.
bool CVideoDeviceSet::SetupListed(int index, int width, int height) {
    Slot& slot = *slots_[static_cast<std::size_t>(index)];
    slot.requestedWidth = width;
    slot.requestedHeight = height;
    slot.tryThisSize = true;
    const std::shared_ptr<const vantor::camera::VideoDevice> device =
        devices_[static_cast<std::size_t>(index)];
    std::printf("SETUP: %s\n", device->Name().c_str());
    if (!StartSlot(index, *device)) {
        StopDevice(index);
        return false;
    }
    slot.identity = device->Identity();
    Diagnostic("SETUP: Device is setup and ready to capture.\n\n");
    return true;
}

// Chooses the format (exact size in a known format, else the closest size, else the device's
// default), builds and runs the graph, and prepares the hand-over for the size in effect.
bool CVideoDeviceSet::StartSlot(int index, const vantor::camera::VideoDevice& device) {
    Slot& slot = *slots_[static_cast<std::size_t>(index)];
    const GstCapsPtr capabilities = device.Capabilities();
    GstCapsPtr defaultCaps = vantor::camera::DefaultCaps(capabilities.get());
    const CapsSize defaultSize = vantor::camera::SizeOfCaps(defaultCaps.get());
    std::printf("SETUP: Default format is %s %i by %i\n", defaultSize.formatName.c_str(), defaultSize.width,
                defaultSize.height);

    std::string formatName;
    GstCapsPtr chosen = vantor::camera::ExactSizeCaps(capabilities.get(), slot.requestedWidth,
                                                      slot.requestedHeight, &formatName);
    if (!chosen) {
        Diagnostic("SETUP: couldn't find requested size - searching for closest matching size\n");
        chosen =
            vantor::camera::ClosestSizeCaps(capabilities.get(), slot.requestedWidth, slot.requestedHeight);
        if (!chosen) {
            Diagnostic("SETUP: closest size not found - the device keeps its default format\n");
            chosen = std::move(defaultCaps);
        }
    }
    const CapsSize chosenSize = vantor::camera::SizeOfCaps(chosen.get());
    std::printf("SETUP: Capture format is %s %i by %i\n", chosenSize.formatName.c_str(), chosenSize.width,
                chosenSize.height);

    CaptureError error;
    slot.graph = CaptureGraph::Build(device, chosen.get(), &error);
    if (!slot.graph) {
        std::printf("ERROR: %s\n", error.Describe().c_str());
        return false;
    }
    {
        std::lock_guard lock(startMutex_);
        if (setupsOff_) {
            Diagnostic("ERROR: the set-up was called off\n");
            return false;
        }
        starting_ = slot.graph.get();
    }
    const bool started = slot.graph->Start(kStartTimeout, &error);
    {
        std::lock_guard lock(startMutex_);
        starting_ = nullptr;
    }
    if (!started) {
        std::printf("ERROR: %s\n", error.Describe().c_str());
        Diagnostic("ERROR: connecting device - prehaps it is already being used?\n");
        return false;
    }
    const CapsSize size = slot.graph->FrameSize();
    slot.width = size.width;
    slot.height = size.height;
    slot.pixels.assign(static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.height) * 3, 0);
    slot.receiver = std::make_unique<SampleGrabberCallback>(size.width, size.height);
    slot.graph->Attach(slot.receiver.get());
    std::printf("SETUP: frames of %i by %i\n", size.width, size.height);
    return true;
}

bool CVideoDeviceSet::IsDeviceSetup(int index) const {
    return OpenSlot(index) != nullptr;
}

const CVideoDeviceSet::Slot* CVideoDeviceSet::OpenSlot(int index) const {
    if (!ValidIndex(index)) {
        return nullptr;
    }
    const Slot& slot = *slots_[static_cast<std::size_t>(index)];
    return slot.InUse() && slot.receiver ? &slot : nullptr;
}

int CVideoDeviceSet::GetWidth(int index) const {
    const Slot* slot = OpenSlot(index);
    return slot != nullptr ? slot->width : 0;
}

int CVideoDeviceSet::GetHeight(int index) const {
    const Slot* slot = OpenSlot(index);
    return slot != nullptr ? slot->height : 0;
}

bool CVideoDeviceSet::IsFrameNew(int index) const {
    const Slot* slot = OpenSlot(index);
    return slot != nullptr && slot->receiver->IsFrameNew();
}

std::uint8_t* CVideoDeviceSet::GetPixels(int index, bool swapRedBlue, bool flip) {
    if (OpenSlot(index) == nullptr) {
        return nullptr;
    }
    Slot& slot = *slots_[static_cast<std::size_t>(index)];
    slot.receiver->Fetch(slot.pixels.data(), kFetchTimeout, swapRedBlue, flip);
    return slot.pixels.data();
}

void CVideoDeviceSet::CallOffSetups(bool off) {
    std::lock_guard lock(startMutex_);
    setupsOff_ = off;
    if (off && starting_ != nullptr) {
        starting_->CallOffStart();
    }
}

void CVideoDeviceSet::StopDevice(int index) {
    if (!ValidIndex(index)) {
        return;
    }
    slots_[static_cast<std::size_t>(index)] = std::make_unique<Slot>();
}

std::chrono::steady_clock::time_point CVideoDeviceSet::FrameArrival(int index) const {
    const Slot* slot = OpenSlot(index);
    return slot != nullptr ? slot->receiver->LastFetchedArrival() : std::chrono::steady_clock::time_point{};
}

std::chrono::steady_clock::time_point CVideoDeviceSet::LastReceived(int index) const {
    const Slot* slot = OpenSlot(index);
    return slot != nullptr ? slot->receiver->LastReceived() : std::chrono::steady_clock::time_point{};
}

bool CVideoDeviceSet::StreamFailed(int index) const {
    const Slot* slot = OpenSlot(index);
    return slot != nullptr && slot->graph->StreamError().has_value();
}

std::string CVideoDeviceSet::DeviceIdentity(int index) const {
    const Slot* slot = OpenSlot(index);
    return slot != nullptr ? slot->identity : std::string();
}

const SampleGrabberCallback* CVideoDeviceSet::Receiver(int index) const {
    const Slot* slot = OpenSlot(index);
    return slot != nullptr ? slot->receiver.get() : nullptr;
}
