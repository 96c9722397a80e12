#include "scene/link_badge.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include "links/qr_code.h"

namespace halvix {
namespace {

constexpr int kMargin = 14;  // between the card and the picture's edges
constexpr int kPadding = 6;  // around the code and the text, inside the card
constexpr int kCornerRadius = 10;
constexpr int kCaptionPixels = 24;
constexpr int kCaptionMinPixels = 14;

// The caption's font: the largest size up to kCaptionPixels at which it fits `width`.
QFont CaptionFont(const QString& caption, int width) {
    QFont font;
    font.setBold(true);
    for (int pixels = kCaptionPixels; pixels >= kCaptionMinPixels; pixels -= 2) {
        font.setPixelSize(pixels);
        if (QFontMetrics(font).horizontalAdvance(caption) <= width) {
            break;
        }
    }
    return font;
}

}  // namespace

QImage WithLinkCode(const QImage& picture, std::string_view link, const QString& caption, int inset) {
    if (picture.isNull()) {
        return picture;
    }
    const int room_w = picture.width() - 2 * (inset + kMargin + kPadding);
    const int caption_h = caption.isEmpty() ? 0 : kCaptionPixels + kPadding;
    const int room_h = picture.height() - 2 * (inset + kMargin + kPadding) - caption_h;
    const int side = std::min({kLinkCodeSide, room_w, room_h});
    if (side < kLinkCodeMinSide) {
        return picture;
    }
    const QImage code = vantor::links::QrCodeImage(link, side);
    if (code.isNull()) {
        return picture;
    }
    const QRect card(picture.width() - inset - kMargin - code.width() - 2 * kPadding,
                     picture.height() - inset - kMargin - code.height() - caption_h - 2 * kPadding,
                     code.width() + 2 * kPadding, code.height() + caption_h + 2 * kPadding);
    QImage marked = picture.convertToFormat(QImage::Format_ARGB32);
    QPainter painter(&marked);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath rounded;
    rounded.addRoundedRect(QRectF(card), kCornerRadius, kCornerRadius);
    painter.fillPath(rounded, Qt::white);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.drawImage(card.topLeft() + QPoint(kPadding, kPadding), code);
    if (!caption.isEmpty()) {
        const QRect line(card.left() + kPadding, card.top() + kPadding + code.height(), code.width(),
                         caption_h);
        const QFont font = CaptionFont(caption, line.width());
        painter.setFont(font);
        painter.setPen(QColor(40, 40, 40));
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.drawText(line, Qt::AlignHCenter | Qt::AlignTop,
                         QFontMetrics(font).elidedText(caption, Qt::ElideRight, line.width()));
    }
    painter.end();
    return marked;
}

}  // namespace halvix
