#pragma once
// Reading the main station's pairing code off the station's own camera: the live picture shows in
// a box of the stations' window while a few frames a second are looked at for a QR code that
// holds a pairing code. The camera is open only while it looks.
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include "capture/capture_camera.h"

class CameraCodeScan : public QObject {
  public:
    using MakeCamera = std::function<std::unique_ptr<CaptureCamera>()>;
    using Found = std::function<void(const std::string& code)>;

    // The live picture fills `box`, which is shown while the camera looks.
    CameraCodeScan(QWidget& box, MakeCamera make_camera);
    ~CameraCodeScan() override;
    CameraCodeScan(const CameraCodeScan&) = delete;
    CameraCodeScan& operator=(const CameraCodeScan&) = delete;

    // Opens the camera and looks until a code is found (`found`, after the camera closed) or the
    // camera cannot open (`failed`). A second call while it looks does nothing.
    void Start(Found found, std::function<void()> failed);
    void Stop();
    bool Looking() const { return looking_; }

  private:
    void Look();

    QWidget& box_;
    MakeCamera make_camera_;
    std::unique_ptr<CaptureCamera> camera_;
    QTimer looks_;
    Found found_;
    bool looking_ = false;
};
