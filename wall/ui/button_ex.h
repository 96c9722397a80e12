#pragma once
// CButtonEx: a bitmap button given one bitmap. Its highlighted look (pointer over it or pressed)
// is a lightened copy, each channel c becoming (3c + 255) / 4; its disabled look a grey copy,
// each channel becoming (299 R + 587 G + 114 B) / 1000. Pixels of the transparent colour keep
// their colour in both copies, unless that colour is white, and are never drawn.
#include <QAbstractButton>
#include <QColor>
#include <QImage>
#include <QString>

namespace UICONTROL {

inline constexpr char kLoadBitmapError[] = "error Load Bitmap";

QImage LightenedLook(const QImage& bitmap, QRgb transparent);
QImage GreyLook(const QImage& bitmap, QRgb transparent);
// The bitmap with the transparent colour cut out (alpha 0), ready to draw.
QImage CutOutTransparent(const QImage& bitmap, QRgb transparent);

class CButtonEx : public QAbstractButton {
  public:
    explicit CButtonEx(int id, QWidget* parent = nullptr);

    // Loads the bitmap file and derives the other looks. On failure the button keeps its looks,
    // LastError() is "error Load Bitmap" and the result is false.
    bool SetBitmap(const QString& file, QRgb transparent = qRgb(255, 0, 255));
    bool SetBitmap(const QImage& bitmap, QRgb transparent = qRgb(255, 0, 255));
    QString LastError() const { return last_error_; }
    int Id() const { return id_; }

    // The look drawn now: normal, highlighted or disabled.
    const QImage& CurrentLook() const;
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    int id_;
    bool hovered_ = false;
    QImage normal_;
    QImage highlighted_;
    QImage disabled_;
    QString last_error_;
};

}  // namespace UICONTROL
