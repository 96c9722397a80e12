#pragma once
// The notice over the live picture while the camera is away: a heading and a line of help, white
// on a dark translucent panel, centred in the area the live picture takes. The texts come from the
// language table; the panel sizes itself so that both fit.
#include <QString>
#include <QWidget>

class CameraNotice : public QWidget {
    Q_OBJECT
  public:
    explicit CameraNotice(QWidget* parent = nullptr);

    void SetTexts(const QString& heading, const QString& help);
    const QString& Heading() const { return heading_; }
    const QString& Help() const { return help_; }
    // Sizes the panel to its texts, at most this area's width and height, and centres it there.
    void PlaceIn(const QRect& area);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QFont HeadingFont() const;
    QFont HelpFont() const;
    QRect TextBox(const QFont& font, const QString& text, int width) const;

    QString heading_;
    QString help_;
    int heading_pixels_ = 32;
    int help_pixels_ = 22;
    int margin_ = 24;
};
