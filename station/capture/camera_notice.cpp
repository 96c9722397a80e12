#include "capture/camera_notice.h"
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace {

const QString kFontFamily = QStringLiteral("WenQuanYi Zen Hei");
constexpr int kTextFlags = Qt::AlignHCenter | Qt::TextWordWrap;

}  // namespace

CameraNotice::CameraNotice(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void CameraNotice::SetTexts(const QString& heading, const QString& help) {
    heading_ = heading;
    help_ = help;
    update();
}

QFont CameraNotice::HeadingFont() const {
    QFont font(kFontFamily);
    font.setPixelSize(heading_pixels_);
    font.setBold(true);
    return font;
}

QFont CameraNotice::HelpFont() const {
    QFont font(kFontFamily);
    font.setPixelSize(help_pixels_);
    return font;
}

QRect CameraNotice::TextBox(const QFont& font, const QString& text, int width) const {
    return QFontMetrics(font).boundingRect(QRect(0, 0, width, 100000), kTextFlags, text);
}

// The texts grow with the area (a heading of about a fifteenth of its height) and shrink until
// both fit into it with their margins.
void CameraNotice::PlaceIn(const QRect& area) {
    if (area.width() <= 0 || area.height() <= 0) {
        return;
    }
    const int widest = area.width() * 9 / 10;
    heading_pixels_ = std::clamp(area.height() / 15, 14, 48);
    for (;; --heading_pixels_) {
        help_pixels_ = std::max(10, heading_pixels_ * 2 / 3);
        margin_ = std::max(8, heading_pixels_ * 3 / 4);
        const int text_width = widest - 2 * margin_;
        const QRect heading = TextBox(HeadingFont(), heading_, text_width);
        const QRect help = TextBox(HelpFont(), help_, text_width);
        const int width = std::max(heading.width(), help.width()) + 2 * margin_;
        const int height = heading.height() + help.height() + margin_ * 5 / 2;
        if ((width <= widest && height <= area.height()) || heading_pixels_ <= 10) {
            const QSize size(std::min(width, widest), std::min(height, area.height()));
            setGeometry(QRect(area.center() - QPoint(size.width() / 2, size.height() / 2), size));
            update();
            return;
        }
    }
}

void CameraNotice::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath panel;
    panel.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), margin_ / 2.0, margin_ / 2.0);
    painter.fillPath(panel, QColor(20, 20, 24, 200));
    painter.setPen(QColor(255, 255, 255, 90));
    painter.drawPath(panel);

    const int text_width = width() - 2 * margin_;
    const QRect heading = TextBox(HeadingFont(), heading_, text_width);
    painter.setPen(Qt::white);
    painter.setFont(HeadingFont());
    const QRect heading_box(margin_, margin_, text_width, heading.height());
    painter.drawText(heading_box, kTextFlags, heading_);
    painter.setPen(QColor(225, 225, 225));
    painter.setFont(HelpFont());
    const QRect help_box(margin_, heading_box.bottom() + 1 + margin_ / 2, text_width,
                         height() - heading_box.bottom() - margin_);
    painter.drawText(help_box, kTextFlags, help_);
}
