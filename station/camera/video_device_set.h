#pragma once
// CVideoDeviceSet: the device access layer. It lists the video input devices, opens one at a
// requested size through a capture graph, receives its frames on the streaming thread and hands
// out the newest frame as packed 24-bit pixels (blue, green, red; bottom row first).
// Set-up and stop are called from one thread; while a device is open, another single thread may
// poll it (IsFrameNew, GetPixels).
#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>
#include "gst_runtime.h"
#include "camera/video_device.h"

class SampleGrabberCallback;
namespace vantor::camera {
class CaptureGraph;
}

class CVideoDeviceSet {
  public:
    static constexpr int kMaxDevices = 20;
    static constexpr int kNameUnits = 255;      // one name entry, terminator included
    static constexpr int kMaxNameLength = 253;  // characters kept of a device's name
    static constexpr std::chrono::milliseconds kFetchTimeout{1000};

    explicit CVideoDeviceSet(vantor::camera::VideoDeviceProvider& provider);
    ~CVideoDeviceSet();
    CVideoDeviceSet(const CVideoDeviceSet&) = delete;
    CVideoDeviceSet& operator=(const CVideoDeviceSet&) = delete;
    CVideoDeviceSet(CVideoDeviceSet&&) = delete;
    CVideoDeviceSet& operator=(CVideoDeviceSet&&) = delete;

    // Enumerates the devices (at most 20, in the provider's order) and returns how many there are.
    int ListDevices();
    // The stored name of a slot (empty when no device was listed there); null outside 0..19.
    const char16_t* GetDeviceName(int index) const;

    // Opens the device at width x height, or the closest size it offers; false when it cannot.
    bool SetupDevice(int index, int width, int height);
    // Lists the devices again and opens the one with that identity, wherever it is listed now;
    // its index, or -1 when it is not listed or cannot be opened.
    int SetupDeviceByIdentity(const std::string& identity, int width, int height);
    // The identity of the device open in the slot; empty for a closed slot.
    std::string DeviceIdentity(int index) const;
    bool IsDeviceSetup(int index) const;
    int GetWidth(int index) const;  // size of the frames the open device delivers
    int GetHeight(int index) const;
    bool IsFrameNew(int index) const;
    // Waits at most one second for the newest frame, copies it into the slot's pixel buffer and
    // returns that buffer; on time-out the buffer keeps the previous frame. Null for a closed slot.
    std::uint8_t* GetPixels(int index, bool swapRedBlue = false, bool flip = false);
    // Dismantles the slot's graph and leaves a fresh, empty slot.
    void StopDevice(int index);
    // From any thread: with `off`, a set-up waiting for its device's first frame fails at once, and
    // so does every set-up after it until this is called again without.
    void CallOffSetups(bool off);

    // When the frame last returned by GetPixels arrived; the hand-over of an open slot.
    std::chrono::steady_clock::time_point FrameArrival(int index) const;
    // When the open slot last received a frame (the epoch before the first).
    std::chrono::steady_clock::time_point LastReceived(int index) const;
    // Whether an error stopped the open slot's stream.
    bool StreamFailed(int index) const;
    const SampleGrabberCallback* Receiver(int index) const;

  private:
    struct Slot {
        int requestedWidth = 0;
        int requestedHeight = 0;
        bool tryThisSize = false;
        int width = 0;
        int height = 0;
        std::string identity;
        std::vector<std::uint8_t> pixels;
        // Declared before the graph, so the graph (and its streaming threads) goes first.
        std::unique_ptr<SampleGrabberCallback> receiver;
        std::unique_ptr<vantor::camera::CaptureGraph> graph;

        Slot();
        ~Slot();
        Slot(Slot&&) = delete;
        Slot& operator=(Slot&&) = delete;
        Slot(const Slot&) = delete;
        Slot& operator=(const Slot&) = delete;
        bool InUse() const { return graph != nullptr; }
    };

    static bool ValidIndex(int index) { return index >= 0 && index < kMaxDevices; }
    const Slot* OpenSlot(int index) const;
    bool SetupListed(int index, int width, int height);
    bool StartSlot(int index, const vantor::camera::VideoDevice& device);

    vantor::GstRuntime runtime_;
    vantor::camera::VideoDeviceProvider& provider_;
    vantor::camera::VideoDeviceList devices_;
    std::array<std::array<char16_t, kNameUnits>, kMaxDevices> names_{};
    std::array<std::unique_ptr<Slot>, kMaxDevices> slots_;

    std::mutex startMutex_;                             // guards starting_ and setupsOff_
    vantor::camera::CaptureGraph* starting_ = nullptr;  // the graph whose start is being waited for
    bool setupsOff_ = false;
};
