// The capture window's camera over CCameraCapture and its preview widget.
#include <QWidget>
#include <cstring>
#include "camera/camera_capture.h"
#include "camera/camera_preview.h"
#include "camera/device_select.h"
#include "camera/station_cameras.h"
#include "capture/capture_camera.h"

namespace {

class StationCamera : public CaptureCamera {
  public:
    StationCamera() : devices_(vantor::camera::StationVideoDevices()), camera_(*devices_) {}
    ~StationCamera() override { camera_.Close(); }
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
    bool Open() override { return camera_.Open(); }
    void Close() override { camera_.Close(); }
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
    std::unique_ptr<vantor::camera::VideoDeviceProvider> devices_;
    CCameraCapture camera_;
    CameraPreview* preview_ = nullptr;  // owned by its parent widget
};

}  // namespace

std::unique_ptr<CaptureCamera> MakeStationCamera() {
    return std::make_unique<StationCamera>();
}
