// The capture window's camera over CCameraCapture and its preview widget.
#include <QMetaObject>
#include <QObject>
#include <QWidget>
#include <cstring>
#include <functional>
#include <thread>
#include "camera/camera_capture.h"
#include "camera/camera_preview.h"
#include "camera/device_select.h"
#include "camera/station_cameras.h"
#include "capture/capture_camera.h"

namespace {

class StationCamera : public CaptureCamera {
  public:
    StationCamera() : devices_(vantor::camera::StationVideoDevices()), camera_(*devices_) {}
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
        if (opener_.joinable() || !camera_.PrepareOpening()) {
            return;
        }
        opened_ = std::move(opened);
        cancelled_ = false;
        opener_ = std::thread([this] {
            started_ = camera_.StartDevice();
            // Back on the window's thread (the relay belongs to it). With the camera destroyed
            // the relay is gone and Qt drops the call.
            QMetaObject::invokeMethod(&relay_, &Relay::Deliver, Qt::QueuedConnection);
        });
    }
    void Close() override {
        cancelled_ = true;
        if (opener_.joinable()) {
            opener_.join();
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
    // Carries the end of the opening from the opener thread to the window's thread.
    class Relay : public QObject {
      public:
        explicit Relay(StationCamera& camera) : camera_(camera) {}
        void Deliver() { camera_.OpeningEnded(); }

      private:
        StationCamera& camera_;
    };

    // The window's thread, once the opener thread has ended; nothing when Close came first.
    void OpeningEnded() {
        if (cancelled_ || !opener_.joinable()) {
            return;
        }
        opener_.join();  // after this, started_ is the opener's result
        const bool open = started_ && camera_.FinishOpening();
        if (opened_) {
            opened_(open);
        }
    }

    std::unique_ptr<vantor::camera::VideoDeviceProvider> devices_;
    CCameraCapture camera_;
    CameraPreview* preview_ = nullptr;  // owned by its parent widget
    Relay relay_{*this};
    std::function<void(bool)> opened_;  // told on the window's thread how the opening ended
    bool cancelled_ = false;            // window's thread only: Close came before the opening ended
    bool started_ = false;              // written by the opener thread, read after joining it
    std::thread opener_;                // waits for the device's first frame; joined by Close
};

}  // namespace

std::unique_ptr<CaptureCamera> MakeStationCamera() {
    return std::make_unique<StationCamera>();
}
