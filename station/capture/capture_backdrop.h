#pragma once
// What the capture window paints itself, beneath its children: the photo with the handwriting where
// the preview is (black while the live picture covers it), the panel's picture to its right, and
// the count of guests in red in the panel's lower left corner.
#include <QImage>
#include <QRect>
#include <QSize>

class QPainter;

// The panel's texts grow with the screen: about 2.4 % of its height.
int CapturePanelFontPixels(int window_height);

class CaptureBackdrop {
  public:
    static constexpr const char16_t* kPanelPicture = u"images\\wedding\\CapWindow\\back.jpg";

    // Reads the panel's picture; without it the panel is plain ivory.
    CaptureBackdrop();

    // `inked` is the photo with the handwriting in the screen's pixels, null while none is on
    // screen; `preview` is in window coordinates.
    void Paint(QPainter& painter, QSize window, QRect preview, const QImage& inked, int guests) const;

  private:
    QImage panel_picture_;
};
