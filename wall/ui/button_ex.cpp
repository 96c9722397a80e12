#include "ui/button_ex.h"

#include <QPainter>

namespace UICONTROL {
namespace {

constexpr QRgb kWhite = 0xffffffu;

template <typename Change>
QImage Derive(const QImage& bitmap, QRgb transparent, Change change) {
    QImage out = bitmap.convertToFormat(QImage::Format_RGB32);
    const QRgb key = transparent & 0xffffffu;
    const bool keepKey = key != kWhite;
    for (int y = 0; y < out.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            if (keepKey && (row[x] & 0xffffffu) == key) {
                continue;
            }
            row[x] = change(row[x]);
        }
    }
    return out;
}

}  // namespace

QImage LightenedLook(const QImage& bitmap, QRgb transparent) {
    return Derive(bitmap, transparent, [](QRgb c) {
        auto light = [](int v) { return (3 * v + 255) / 4; };
        return qRgb(light(qRed(c)), light(qGreen(c)), light(qBlue(c)));
    });
}

QImage GreyLook(const QImage& bitmap, QRgb transparent) {
    return Derive(bitmap, transparent, [](QRgb c) {
        const int grey = (299 * qRed(c) + 587 * qGreen(c) + 114 * qBlue(c)) / 1000;
        return qRgb(grey, grey, grey);
    });
}

QImage CutOutTransparent(const QImage& bitmap, QRgb transparent) {
    QImage out = bitmap.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = transparent & 0xffffffu;
    for (int y = 0; y < out.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            if ((row[x] & 0xffffffu) == key) {
                row[x] = 0;
            }
        }
    }
    return out;
}

CButtonEx::CButtonEx(int id, QWidget* parent) : QAbstractButton(parent), id_(id) {
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::NoFocus);
}

bool CButtonEx::SetBitmap(const QString& file, QRgb transparent) {
    QImage bitmap;
    if (file.isEmpty() || !bitmap.load(file)) {
        last_error_ = QString::fromLatin1(kLoadBitmapError);
        return false;
    }
    return SetBitmap(bitmap, transparent);
}

bool CButtonEx::SetBitmap(const QImage& bitmap, QRgb transparent) {
    if (bitmap.isNull()) {
        last_error_ = QString::fromLatin1(kLoadBitmapError);
        return false;
    }
    normal_ = CutOutTransparent(bitmap, transparent);
    highlighted_ = CutOutTransparent(LightenedLook(bitmap, transparent), transparent);
    disabled_ = CutOutTransparent(GreyLook(bitmap, transparent), transparent);
    last_error_.clear();
    updateGeometry();
    update();
    return true;
}

const QImage& CButtonEx::CurrentLook() const {
    if (!isEnabled()) {
        return disabled_;
    }
    return (hovered_ || isDown()) ? highlighted_ : normal_;
}

QSize CButtonEx::sizeHint() const {
    return normal_.isNull() ? QSize(48, 46) : normal_.size();
}

void CButtonEx::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QImage& look = CurrentLook();
    if (look.isNull()) {
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), look);
}

void CButtonEx::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void CButtonEx::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

}  // namespace UICONTROL
