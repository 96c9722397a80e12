// The capture window's camera over CCameraCapture and its preview widget. The slow steps (starting
// a device, which waits for its first frame, and reopening one that dropped out) run on one
// background thread at a time; everything else, and the watch over the open camera, runs on the
// window's thread.
#include <QMetaObject>
#include <QObject>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstring>
#include <functional>
#include <thread>
#include "camera/camera_capture.h"
#include "camera/camera_log.h"
#include "camera/camera_preview.h"
#include "camera/camera_recovery.h"
#include "camera/device_select.h"
#include "camera/station_cameras.h"
#include "capture/capture_camera.h"

namespace {

using vantor::camera::CameraRecovery;
using vantor::camera::RecoveryTimings;

class StationCamera : public CaptureCamera {
  public:
    StationCamera(std::unique_ptr<vantor::camera::VideoDeviceProvider> devices,
                  const RecoveryTimings& timings)
        : devices_(std::move(devices)), camera_(*devices_), recovery_(timings) {
        checks_.setInterval(static_cast<int>(timings.checkInterval.count()));
        QObject::connect(&checks_, &QTimer::timeout, [this] { CheckCamera(); });
    }
    ~StationCamera() override { Close(); }
    StationCamera(const StationCamera&) = delete;
    StationCamera& operator=(const StationCamera&) = delete;

    QWidget* CreatePreview(QWidget* parent) override {
        preview_ = new CameraPreview(parent);
        camera_.SetDisplayWindow(preview_);
        return preview_;
    }
    void ChooseDevice(QWidget* dialog_parent) override {
        vantor::camera::DeviceSelectChooser chooser(dialog_parent);
        vantor::camera::ChooseCameraDevice(camera_, chooser);
    }
    void SetDisplayRect(int left, int top, int right, int bottom) override {
        camera_.SetDisplayRect(left, top, right, bottom);
    }
    void StartOpening(std::function<void(bool opened)> opened) override {
        if (background_.joinable() || !camera_.PrepareOpening()) {
            return;
        }
        opened_ = std::move(opened);
        cancelled_ = false;
        RunInBackground(Job::Open);
    }
    void WatchDropOuts(std::function<void(bool lost)> changed) override { dropOuts_ = std::move(changed); }
    void Close() override {
        cancelled_ = true;
        checks_.stop();
        recovery_.Closed();
        camera_.CallOffStart();  // a step waiting for a device's first frame ends at once
        if (background_.joinable()) {
            background_.join();
        }
        camera_.Close();
    }
    bool IsOpened() const override { return camera_.IsOpened(); }
    QSize FrameSize() const override { return {camera_.GetWidth(), camera_.GetHeight()}; }

    QImage CopyFrame() const override {
        const std::vector<std::uint8_t> buffer = camera_.CopyFrameBuffer();
        const int w = camera_.GetWidth();
        const int h = camera_.GetHeight();
        const std::size_t row_bytes = static_cast<std::size_t>(w) * 3;
        if (w <= 0 || h <= 0 || buffer.size() < row_bytes * h) {
            return {};
        }
        // The frame buffer is blue, green, red, bottom row first.
        QImage frame(w, h, QImage::Format_BGR888);
        for (int y = 0; y < h; ++y) {
            std::memcpy(frame.scanLine(y), buffer.data() + row_bytes * (h - 1 - y), row_bytes);
        }
        return frame;
    }

  private:
    enum class Job { Open, Reopen };

    // Carries the end of a background step to the window's thread.
    class Relay : public QObject {
      public:
        explicit Relay(StationCamera& camera) : camera_(camera) {}
        void Deliver() { camera_.BackgroundEnded(); }

      private:
        StationCamera& camera_;
    };

    static CameraRecovery::TimePoint Now() { return std::chrono::steady_clock::now(); }

    // While the step runs, the window's thread leaves the camera object alone but for its display
    // rectangle and its frame buffer copy, which are safe from any thread.
    void RunInBackground(Job job) {
        job_ = job;
        background_ = std::thread([this, job] {
            succeeded_ = job == Job::Open ? camera_.StartDevice() : camera_.RestartDevice();
            if (job == Job::Open && succeeded_) {
                // Starts the watch for cameras plugged in (a device monitor may take a moment to
                // start); what is there already does not count.
                devices_->DevicesAdded();
            }
            // Back on the window's thread (the relay belongs to it). With the camera destroyed
            // the relay is gone and Qt drops the call.
            QMetaObject::invokeMethod(&relay_, &Relay::Deliver, Qt::QueuedConnection);
        });
    }

    // The window's thread, once the background step has ended; nothing when Close came first.
    void BackgroundEnded() {
        if (cancelled_ || !background_.joinable()) {
            return;
        }
        background_.join();  // after this, succeeded_ is the step's result
        const bool open = succeeded_ && camera_.FinishOpening();
        if (job_ == Job::Reopen) {
            if (open) {
                qCInfo(lcCamera) << "the camera is back:" << camera_.DeviceIdentity().c_str();
                recovery_.Opened(Now());
                if (dropOuts_) {
                    dropOuts_(false);
                }
            } else {
                recovery_.ReopenFailed(Now());
            }
            return;
        }
        if (open) {
            recovery_.Opened(Now());
            checks_.start();
        }
        if (opened_) {
            opened_(open);
        }
    }

    // The window's thread, every check interval while the camera is open or lost.
    void CheckCamera() {
        if (background_.joinable()) {
            return;  // a reopening is under way
        }
        if (devices_->DevicesAdded()) {
            recovery_.DeviceAdded();
        }
        switch (recovery_.Check(Now(), camera_.Health())) {
            case CameraRecovery::Step::DropOut:
                qCWarning(lcCamera) << "the camera dropped out:" << camera_.DeviceIdentity().c_str();
                camera_.Suspend();
                if (preview_ != nullptr) {
                    preview_->Clear();  // no frozen picture, nor the guest before, stays on screen
                }
                if (dropOuts_) {
                    dropOuts_(true);
                }
                break;
            case CameraRecovery::Step::Reopen:
                RunInBackground(Job::Reopen);
                break;
            case CameraRecovery::Step::None:
                break;
        }
    }

    std::unique_ptr<vantor::camera::VideoDeviceProvider> devices_;
    CCameraCapture camera_;
    CameraPreview* preview_ = nullptr;  // owned by its parent widget
    CameraRecovery recovery_;           // window's thread only
    QTimer checks_;                     // looks at the open camera; the window's thread
    Relay relay_{*this};
    std::function<void(bool)> opened_;    // told on the window's thread how the opening ended
    std::function<void(bool)> dropOuts_;  // told on the window's thread of a drop-out and the return
    bool cancelled_ = false;              // window's thread only: Close came before the step ended
    Job job_ = Job::Open;                 // the step running or last run; window's thread only
    bool succeeded_ = false;              // written by the background thread, read after joining it
    std::thread background_;              // the one slow step at a time; joined by Close
};

}  // namespace

std::unique_ptr<CaptureCamera> MakeStationCamera() {
    return MakeStationCamera(vantor::camera::StationVideoDevices(), RecoveryTimings{});
}

std::unique_ptr<CaptureCamera> MakeStationCamera(std::unique_ptr<vantor::camera::VideoDeviceProvider> devices,
                                                 const RecoveryTimings& timings) {
    return std::make_unique<StationCamera>(std::move(devices), timings);
}
