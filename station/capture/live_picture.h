#pragma once
// The capture window's live picture: the camera, the preview widget it draws into, where in the
// preview the picture shows, and the notice over it while the camera is away. The widgets are
// children of the window; the camera is closed when this goes, before the window's children.
#include <QRect>
#include <functional>
#include <memory>
#include <optional>
#include "capture/capture_camera.h"

class CameraNotice;
class QWidget;

// Where the guest sees the live picture, in preview coordinates: the camera's rectangle inside the
// frame's opening (`opening`, when a frame shows). A tiny area leaves the whole preview.
QRect LivePictureArea(const QRect& camera_area, QSize preview, const std::optional<QRect>& opening);

class LivePicture {
  public:
    // Without a camera the preview is an empty widget.
    LivePicture(QWidget& window, std::unique_ptr<CaptureCamera> camera);
    ~LivePicture();
    LivePicture(const LivePicture&) = delete;
    LivePicture& operator=(const LivePicture&) = delete;

    QWidget& Preview() const { return *preview_; }
    CaptureCamera* Camera() const { return camera_.get(); }
    CameraNotice* Notice() const { return notice_; }
    bool IsLost() const { return lost_; }
    QRect Area() const { return area_; }
    QSize FrameSize() const;
    // The camera's current frame; null without an open camera.
    QImage Frame() const;

    // Several cameras: the operator picks one.
    void ChooseDevice(QWidget& dialog_parent);
    // The notice, above every child of the window made before it.
    void CreateNotice(QWidget& window, const QString& heading, const QString& help);
    // Opens the camera in the background; `changed` is told when it opened, dropped out or came
    // back. A camera that drops out is reopened by itself.
    void Start(std::function<void()> changed);
    void Close();
    // Where in the preview the live picture shows.
    void ShowIn(const QRect& area);
    // Where it is taken to show while the camera keeps its own placing: the camera is not told.
    void AssumeArea(const QRect& area) { area_ = area; }
    // The notice shows centred in `where`, in window coordinates; nothing hides it.
    void ShowNotice(const std::optional<QRect>& where);

  private:
    std::unique_ptr<CaptureCamera> camera_;
    QWidget* preview_ = nullptr;      // owned by the window
    CameraNotice* notice_ = nullptr;  // owned by the window
    bool lost_ = false;
    QRect area_;
};
