#include "controls/my_slider_control.h"

#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>
#include "controls/slider_arithmetic.h"
#include "platform/native_path.h"

namespace {

constexpr int kThumbLength = 14;
constexpr int kChannelHeight = 4;

// Pixels of exactly the key colour become transparent.
QImage KeyedOut(const QImage& picture, QRgb key) {
    QImage keyed = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < keyed.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
        for (int x = 0; x < keyed.width(); ++x) {
            if ((line[x] & 0xFFFFFF) == (key & 0xFFFFFF)) {
                line[x] = 0;
            }
        }
    }
    return keyed;
}

}  // namespace

CMySliderControl::CMySliderControl(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    LoadThumb();
}

void CMySliderControl::LoadThumb() {
    const QImage picture(QString::fromStdString(vantor::ToNativePath(kThumbPicture)));
    if (!picture.isNull()) {
        thumb_ = KeyedOut(picture, qRgb(255, 0, 0));
    }
}

void CMySliderControl::SetChannelBitmap(const QImage& picture) {
    channel_bitmap_ = picture.isNull() ? QImage() : KeyedOut(picture, qRgb(255, 0, 255));
    update();
}

QRect CMySliderControl::ChannelRect() const {
    const int margin = kThumbLength / 2 + 2;
    const int top = (height() - kChannelHeight) / 2;
    return QRect(QPoint(margin, top), QPoint(width() - 1 - margin, top + kChannelHeight - 1));
}

QRect CMySliderControl::ThumbRect() const {
    const QRect channel = ChannelRect();
    const int span = channel.right() - channel.left();
    const int centre = channel.left() + QStyle::sliderPositionFromValue(minimum(), maximum(), value(), span);
    return QRect(centre - kThumbLength / 2, 1, kThumbLength, std::max(1, height() - 2));
}

int CMySliderControl::ValueAtPixel(int x) const {
    const QRect channel = ChannelRect();
    return QStyle::sliderValueFromPosition(minimum(), maximum(), x - channel.left(),
                                           channel.right() - channel.left());
}

void CMySliderControl::StepTowards(int x, int page) {
    setPageStep(page);
    const int thumb_centre = ThumbRect().center().x();
    if (x == thumb_centre || page == 0) {
        return;
    }
    const int landing =
        slider_arithmetic::PageStepLanding(minimum(), maximum(), value(), page, x > thumb_centre);
    if (landing != value()) {
        setSliderPosition(landing);
        triggerAction(QAbstractSlider::SliderMove);
    }
}

void CMySliderControl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QSlider::mousePressEvent(event);
        return;
    }
    const int x = static_cast<int>(event->position().x());
    if (ThumbRect().contains(event->position().toPoint())) {
        channel_pressed_ = false;
        setSliderDown(true);
        event->accept();
        return;
    }
    channel_pressed_ = true;
    const QRect channel = ChannelRect();
    StepTowards(
        x, slider_arithmetic::ClickPage(minimum(), maximum(), value(), channel.left(), channel.right(), x));
    setSliderDown(true);
    event->accept();
}

void CMySliderControl::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) {
        QSlider::mouseMoveEvent(event);
        return;
    }
    const int x = static_cast<int>(event->position().x());
    if (!channel_pressed_) {
        // Dragging the thumb itself: it follows the pointer along the channel.
        setSliderPosition(ValueAtPixel(x));
        event->accept();
        return;
    }
    StepTowards(x, slider_arithmetic::DragPage(maximum(), value(), width(), x));
    event->accept();
}

void CMySliderControl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && isSliderDown()) {
        channel_pressed_ = false;
        setSliderDown(false);  // emits sliderReleased: the owner's "capture released"
        event->accept();
        return;
    }
    QSlider::mouseReleaseEvent(event);
}

void CMySliderControl::TakeBackgroundCopy() {
    QWidget* parent = parentWidget();
    if (!parent || taking_copy_) {
        return;
    }
    taking_copy_ = true;
    QPixmap copy(size());
    copy.fill(Qt::transparent);
    // The parent's own picture only, not its children (this control among them).
    parent->render(&copy, QPoint(), QRegion(geometry()), QWidget::DrawWindowBackground);
    background_ = copy;
    taking_copy_ = false;
}

void CMySliderControl::paintEvent(QPaintEvent*) {
    if (taking_copy_) {
        return;
    }
    if (background_.isNull()) {
        TakeBackgroundCopy();
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, background_);
    const QRect channel = ChannelRect();
    if (!channel_bitmap_.isNull()) {
        painter.drawImage(channel, channel_bitmap_);
    } else {
        painter.setPen(QColor(90, 60, 40));
        painter.setBrush(QColor(250, 240, 225, 200));
        painter.drawRoundedRect(channel, 2, 2);
    }
    const QRect thumb = ThumbRect();
    if (!thumb_.isNull()) {
        painter.drawImage(thumb, thumb_);
    } else {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(180, 30, 60));
        painter.drawRoundedRect(thumb, 3, 3);
    }
}
