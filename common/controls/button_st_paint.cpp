// Drawing of CButtonST: background, border, picture, caption and focus rectangle.
#include <QPainter>
#include "controls/button_st.h"

namespace {
constexpr int kMargin_px = 3;
}

QRect CButtonST::PictureRect(const QRect& client, const QSize& picture, bool hasCaption) const {
    QRect target(QPoint(0, 0), picture);
    // A picture that fills the button, or one without a caption, is centred.
    const bool fills = picture.width() >= client.width() - 2 * kMargin_px;
    if (!hasCaption || fills) {
        target.moveCenter(client.center());
        return target;
    }
    switch (align_) {
        case ST_ALIGN_VERT:
            target.moveTop(client.top() + kMargin_px);
            target.moveLeft(client.left() + (client.width() - picture.width()) / 2);
            break;
        case ST_ALIGN_HORIZ_RIGHT:
            target.moveRight(client.right() - kMargin_px);
            target.moveTop(client.top() + (client.height() - picture.height()) / 2);
            break;
        default:
            target.moveLeft(client.left() + kMargin_px);
            target.moveTop(client.top() + (client.height() - picture.height()) / 2);
            break;
    }
    return target;
}

QRect CButtonST::CaptionRect(const QRect& client, const QRect& picture) const {
    if (picture.isEmpty()) {
        return client;
    }
    switch (align_) {
        case ST_ALIGN_VERT:
            return QRect(QPoint(client.left(), picture.bottom() + 1), client.bottomRight());
        case ST_ALIGN_HORIZ_RIGHT:
            return QRect(client.topLeft(), QPoint(picture.left() - 1 - kMargin_px, client.bottom()));
        default:
            return QRect(QPoint(picture.right() + 1 + kMargin_px, client.top()), client.bottomRight());
    }
}

void CButtonST::PaintBorder(QPainter& painter, const QRect& client) const {
    const bool pressed = ShowsPressed();
    if (!drawBorder_ || (flat_ && !pressed && !pointerInside_)) {
        return;
    }
    const QColor light = palette().color(QPalette::Light);
    const QColor dark = palette().color(QPalette::Dark);
    const QColor topLeft = pressed ? dark : light;
    const QColor bottomRight = pressed ? light : dark;
    const QRect edge = client.adjusted(0, 0, -1, -1);
    painter.setPen(topLeft);
    painter.drawLine(edge.topLeft(), edge.topRight());
    painter.drawLine(edge.topLeft(), edge.bottomLeft());
    painter.setPen(bottomRight);
    painter.drawLine(edge.bottomLeft(), edge.bottomRight());
    painter.drawLine(edge.topRight(), edge.bottomRight());
}

void CButtonST::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect client = rect();
    if (!transparent_) {
        painter.fillRect(client, CurrentBackgroundColor());
    }

    const QPixmap picture = CurrentPicture();
    const bool hasCaption = !text().isEmpty();
    const QPoint pressShift = ShowsPressed() ? QPoint(1, 1) : QPoint(0, 0);
    QRect pictureRect;
    if (!picture.isNull()) {
        pictureRect = PictureRect(client, picture.size(), hasCaption);
        painter.drawPixmap(pictureRect.translated(pressShift), picture);
    }
    const bool pictureFills = !picture.isNull() && picture.width() >= client.width() - 2 * kMargin_px;
    const QRect captionRect = CaptionRect(client, pictureRect);
    if (hasCaption && !pictureFills && captionRect.width() > 0 && captionRect.height() > 0) {
        painter.setPen(isEnabled() ? CurrentTextColor()
                                   : palette().color(QPalette::Disabled, QPalette::ButtonText));
        painter.setFont(font());
        painter.drawText(captionRect.translated(pressShift), Qt::AlignCenter | Qt::TextSingleLine, text());
    }

    PaintBorder(painter, client);
    if (flat_ && drawFlatFocus_ && hasFocus()) {
        QPen dotted(palette().color(QPalette::WindowText));
        dotted.setStyle(Qt::DotLine);
        painter.setPen(dotted);
        painter.drawRect(client.adjusted(kMargin_px, kMargin_px, -kMargin_px - 1, -kMargin_px - 1));
    }
}
