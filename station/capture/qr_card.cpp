#include "capture/qr_card.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include "links/qr_code.h"

namespace {

const QString kFontFamily = QStringLiteral("WenQuanYi Zen Hei");

QFont TextFont(int pixels, bool bold) {
    QFont font(kFontFamily);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

}  // namespace

QrCard::QrCard(QWidget* parent, Qt::Alignment anchor) : QWidget(parent), anchor_(anchor) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide_timer_.setSingleShot(true);
    connect(&hide_timer_, &QTimer::timeout, this, &QrCard::Dismiss);
    hide();
}

void QrCard::SetContent(std::string link, QStringList lines) {
    link_ = std::move(link);
    lines_ = std::move(lines);
    code_ = vantor::links::QrCodeImage(link_, CodeRoom(Arrange()));
    if (code_.isNull()) {
        Dismiss();
    }
    update();
}

void QrCard::ShowFor(std::chrono::milliseconds duration) {
    if (code_.isNull()) {
        return;
    }
    show();
    raise();
    hide_timer_.start(duration);
}

void QrCard::Dismiss() {
    hide_timer_.stop();
    hide();
}

// The texts take about a fifteenth of the card's height each, less when one would be wider than
// the card; the code takes the square left above them.
QrCard::Layout QrCard::Arrange() const {
    Layout layout;
    layout.margin = std::max(6, std::min(width(), height()) / 28);
    const int text_width = width() - 2 * layout.margin;
    layout.text_pixels = std::max(10, height() / 15);
    for (; layout.text_pixels > 10; --layout.text_pixels) {
        const QFontMetrics metrics(TextFont(layout.text_pixels, true));
        const bool fits = std::all_of(lines_.begin(), lines_.end(), [&](const QString& line) {
            return metrics.horizontalAdvance(line) <= text_width;
        });
        if (fits) {
            break;
        }
    }
    layout.text_height =
        static_cast<int>(lines_.size()) * QFontMetrics(TextFont(layout.text_pixels, true)).height();
    // The code at its own size (whole pixels per module), the card around it and the texts.
    const int side = code_.isNull() ? CodeRoom(layout) : code_.width();
    const int card_height =
        std::min(height(), 2 * layout.margin + side + layout.margin / 2 + layout.text_height);
    const int card_top = (anchor_ & Qt::AlignBottom) ? height() - card_height : 0;
    layout.card = QRect(0, card_top, width(), card_height);
    layout.code = QRect((width() - side) / 2, card_top + layout.margin, side, side);
    return layout;
}

// The largest square the code may take beside the texts.
int QrCard::CodeRoom(const Layout& layout) const {
    return std::max(0, std::min(width() - 2 * layout.margin,
                                height() - 2 * layout.margin - layout.text_height - layout.margin / 2));
}

void QrCard::resizeEvent(QResizeEvent*) {
    if (!link_.empty()) {
        code_ = QImage();
        code_ = vantor::links::QrCodeImage(link_, CodeRoom(Arrange()));
    }
}

void QrCard::paintEvent(QPaintEvent*) {
    const Layout layout = Arrange();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath card;
    card.addRoundedRect(QRectF(layout.card).adjusted(0.5, 0.5, -0.5, -0.5), layout.margin, layout.margin);
    painter.fillPath(card, Qt::white);
    painter.setPen(QColor(0, 0, 0, 60));
    painter.drawPath(card);
    // Whole pixels per module: the code is drawn at its own size, never scaled.
    painter.drawImage(layout.code.topLeft(), code_);
    painter.setPen(QColor(40, 40, 40));
    const int line_height = lines_.isEmpty() ? 0 : layout.text_height / static_cast<int>(lines_.size());
    int top = layout.code.bottom() + 1 + layout.margin / 2;
    for (int i = 0; i < lines_.size(); ++i) {
        // The first line says what the code is for; the others are details.
        painter.setFont(TextFont(layout.text_pixels, i == 0));
        painter.drawText(QRect(layout.margin, top, width() - 2 * layout.margin, line_height), Qt::AlignCenter,
                         lines_[i]);
        top += line_height;
    }
}
