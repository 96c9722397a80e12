#pragma once
// CMySliderControl: a horizontal slider whose thumb jumps to a click in the channel and follows the
// mouse while the button is held, drawn as the thumb picture over a copy of the parent's background.
// The capture window's pen width and the wall's video position and volume use it.
#include <QImage>
#include <QPixmap>
#include <QSlider>
#include "tarquel_export.h"

class TARQUEL_API CMySliderControl : public QSlider {
    Q_OBJECT
  public:
    // The thumb picture, bitmap 139 of the program; pure red in it is transparent.
    static constexpr const char16_t* kThumbPicture = u"res\\139.bmp";

    explicit CMySliderControl(QWidget* parent = nullptr);

    // An optional channel picture (magenta transparent); neither program sets one.
    void SetChannelBitmap(const QImage& picture);

    // The channel in client coordinates: the run the thumb's centre travels.
    QRect ChannelRect() const;
    QRect ThumbRect() const;
    bool HasBackgroundCopy() const { return !background_.isNull(); }

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void LoadThumb();
    void TakeBackgroundCopy();
    int ValueAtPixel(int x) const;
    void StepTowards(int x, int page);

    QImage thumb_;           // red keyed out
    QImage channel_bitmap_;  // magenta keyed out; empty unless set
    QPixmap background_;     // the parent's pixels behind the control, taken once
    bool taking_copy_ = false;
    bool channel_pressed_ = false;
};
