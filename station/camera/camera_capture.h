#pragma once
// CCameraCapture: the station's camera object, one per opening of the capture window. It holds
// the configured output size, the chosen device, a frame buffer of the output size and the
// rectangle of the preview into which frames are drawn, and runs a display thread that fetches
// each new frame (resampled to the output size when the device delivers another) and hands it to
// the preview. All operations are called on the capture window's thread.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>
#include "camera/camera_recovery.h"
#include "camera/camera_settings.h"
#include "camera/frame_sink.h"
#include "camera/video_device_set.h"

class CCameraCapture {
  public:
    static constexpr std::chrono::milliseconds kDisplayPause{5};

    // The size comes from the station's configuration.
    explicit CCameraCapture(vantor::camera::VideoDeviceProvider& devices);
    CCameraCapture(vantor::camera::VideoDeviceProvider& devices, vantor::camera::CameraSize size);
    ~CCameraCapture();
    CCameraCapture(const CCameraCapture&) = delete;
    CCameraCapture& operator=(const CCameraCapture&) = delete;
    CCameraCapture(CCameraCapture&&) = delete;
    CCameraCapture& operator=(CCameraCapture&&) = delete;

    // The preview must stay alive until Close.
    void SetDisplayWindow(vantor::camera::FrameSink* window) { display_ = window; }
    void ChooseDevice(int index);
    void SetDisplayRect(int left, int top, int right, int bottom);
    vantor::camera::DisplayRect DisplayRect() const;

    // Opens the device in use at the output size; false (without a message) when it cannot.
    bool Open();
    // Open in three steps, so that the slow one does not hold up the window. PrepareOpening (the
    // window's thread) readies the display; StartDevice waits for the device's first frame (up to
    // seconds) and may run on another thread while the window's thread leaves the object alone;
    // FinishOpening (the window's thread again) tells about scaling and starts the display thread.
    bool PrepareOpening();
    bool StartDevice();
    bool FinishOpening();
    // From any thread: a StartDevice or RestartDevice that waits for the device gives up at once,
    // and so do later ones until the next PrepareOpening. Close is then quick.
    void CallOffStart() { devices_.CallOffSetups(true); }
    // Ends the display thread, then stops the device and frees the frame buffer.
    void Close();

    // A device that dropped out. Suspend (the window's thread) ends the display thread and leaves
    // the device for RestartDevice, which stops it and opens the same device again wherever it is
    // listed now; like StartDevice it waits for the first frame and may run on another thread.
    // FinishOpening then starts the display thread again.
    void Suspend();
    bool RestartDevice();
    // How the open device fares: when it last delivered, whether an error stopped its stream.
    vantor::camera::CameraHealth Health() const;
    // The identity of the device opened last (empty before the first opening).
    const std::string& DeviceIdentity() const { return identity_; }

    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }
    // A copy of the frame buffer (width x height x 3 bytes, bottom row first), taken while the
    // display thread is not writing it; empty while closed.
    std::vector<std::uint8_t> CopyFrameBuffer() const;

    bool IsOpened() const { return opened_.load(); }
    bool IsScaling() const { return scaling_; }
    bool IsDeviceChosen() const { return deviceChosen_; }
    int DeviceInUse() const { return deviceInUse_; }
    CVideoDeviceSet& DeviceSet() { return devices_; }

  private:
    void DisplayLoop();
    void EndDisplayThread();
    void DrawFrame();
    bool FetchFrame();
    bool PauseWhileRunning();

    int width_ = 640;
    int height_ = 480;
    CVideoDeviceSet devices_;
    std::atomic<int> x_{0};
    std::atomic<int> y_{0};
    std::atomic<int> w_{0};
    std::atomic<int> h_{0};
    bool deviceChosen_ = false;
    int chosenIndex_ = 0;
    int deviceInUse_ = 0;
    bool scaling_ = false;
    std::atomic<bool> opened_{false};
    bool deviceStarted_ = false;  // the device runs: Close stops it
    std::string identity_;        // of the device opened last; a restart looks for it
    bool scalingTold_ = false;    // the scaling notice shows once per camera object
    vantor::camera::FrameSink* display_ = nullptr;

    mutable std::mutex
        bufferMutex_;  // guards frameBuffer_: written by the display thread, copied for the still
    std::vector<std::uint8_t> frameBuffer_;
    std::chrono::steady_clock::time_point frameArrival_;  // display thread only

    std::mutex runMutex_;  // guards running_
    std::condition_variable runChanged_;
    bool running_ = false;
    std::thread displayThread_;
};
