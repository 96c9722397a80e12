#pragma once
// The live camera picture of the capture window. The camera's display thread hands each frame to
// PresentFrame; the widget repaints on the user-interface thread and draws the newest frame at
// the rectangle it came with, by the three drawing rules.
#include <QWidget>
#include <mutex>
#include "camera/frame_sink.h"

class CameraPreview : public QWidget, public vantor::camera::FrameSink {
    Q_OBJECT
  public:
    explicit CameraPreview(QWidget* parent = nullptr);

    QSize ClientSize() const override;
    void PresentFrame(vantor::camera::PreviewFrame frame) override;  // any thread

    // The frame drawn by the last repaint (null before the first).
    QImage ShownFrame() const;
    // Forgets the frames handed over so far and shows nothing until the next one; the
    // user-interface thread, after the display thread has ended.
    void Clear();
    long long PresentedFrames() const;

  signals:
    // Emitted on the user-interface thread after a frame handed over has been scheduled for painting.
    void frameShown();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void ShowPending();

    mutable std::mutex frameMutex_;  // guards pending_ and presented_
    vantor::camera::PreviewFrame pending_;
    long long presented_ = 0;

    vantor::camera::PreviewFrame shown_;  // user-interface thread only
};
