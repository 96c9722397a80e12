#include "capture/colour_picker.h"

#include <QColorDialog>
#include <QPainter>

namespace {

QColor ToQColor(std::uint32_t colour) {
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

std::uint32_t FromQColor(const QColor& colour) {
    return static_cast<std::uint32_t>(colour.red()) | (static_cast<std::uint32_t>(colour.green()) << 8) |
           (static_cast<std::uint32_t>(colour.blue()) << 16);
}

}  // namespace

ColourPickerButton::ColourPickerButton(QWidget* parent) : QPushButton(parent) {
    connect(this, &QPushButton::clicked, this, &ColourPickerButton::Choose);
}

void ColourPickerButton::SetColour(std::uint32_t colour) {
    colour_ = colour;
    update();
}

void ColourPickerButton::Choose() {
    const QColor chosen = QColorDialog::getColor(ToQColor(colour_), this, text());
    if (chosen.isValid()) {
        SetColour(FromQColor(chosen));
        emit colourChosen(colour_);
    }
}

void ColourPickerButton::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    QPainter painter(this);
    const int side = std::max(4, height() / 2);
    const QRect swatch(width() - side - height() / 4, (height() - side) / 2, side, side);
    painter.setPen(QColor(60, 40, 30));
    painter.setBrush(ToQColor(colour_));
    painter.drawRect(swatch);
}
