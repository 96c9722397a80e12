#pragma once
// The camera as the capture window uses it: a preview widget that shows the live picture inside a
// rectangle, the configured frame size, and a copy of the current frame for the plain photo.
#include <QImage>
#include <QSize>
#include <functional>
#include <memory>

class QWidget;

class CaptureCamera {
  public:
    virtual ~CaptureCamera() = default;
    // The widget the live picture is drawn into; created once, owned by `parent`.
    virtual QWidget* CreatePreview(QWidget* parent) = 0;
    // Lists the devices and lets the operator pick one when there are several.
    virtual void ChooseDevice(QWidget* dialog_parent) = 0;
    // Where the live picture shows, in preview coordinates.
    virtual void SetDisplayRect(int left, int top, int right, int bottom) = 0;
    // Starts opening the device and returns at once: a camera can take seconds to deliver its
    // first frame, and the window must not freeze meanwhile. `opened` is called on the window's
    // thread when the camera is open or could not be opened, unless Close came first.
    virtual void StartOpening(std::function<void(bool opened)> opened) = 0;
    // `changed(true)` when the open camera drops out (no frame for a while, or a stream error):
    // its live picture is gone and it is reopened by itself; `changed(false)` when it delivers
    // again. Called on the window's thread. A camera that cannot drop out never calls it.
    virtual void WatchDropOuts(std::function<void(bool lost)> changed) { (void)changed; }
    virtual void Close() = 0;
    virtual bool IsOpened() const = 0;
    // The configured output size (frames are delivered at this size).
    virtual QSize FrameSize() const = 0;
    // The current frame as a 24-bit picture of FrameSize(), or a null image while closed.
    virtual QImage CopyFrame() const = 0;
};

namespace vantor::camera {
class VideoDeviceProvider;
struct RecoveryTimings;
}  // namespace vantor::camera

// The station's camera (CCameraCapture with its preview). The devices are the machine's cameras,
// or the test cameras named by the environment variable VANTOR_TEST_CAMERA (for example "hd").
std::unique_ptr<CaptureCamera> MakeStationCamera();
// The station's camera over the given devices, noticing and reopening a camera that drops out
// with the given figures.
std::unique_ptr<CaptureCamera> MakeStationCamera(std::unique_ptr<vantor::camera::VideoDeviceProvider> devices,
                                                 const vantor::camera::RecoveryTimings& timings);
