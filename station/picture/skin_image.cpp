#include "picture/skin_image.h"

#include <QMouseEvent>
#include <QPainter>
#include "controls/link_opener.h"
#include "platform/native_path.h"
#include "text/qt_text.h"

CSkinImage::CSkinImage() {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::PointingHandCursor);
    hide();
}

CSkinImage::~CSkinImage() = default;

bool CSkinImage::Load(const tstring& path) {
    Release();
    picture_ = QImage(QString::fromStdString(vantor::ToNativePath(path)));
    return !picture_.isNull();
}

bool CSkinImage::Create(QWidget* parent, int x, int y, int width, int height) {
    if (parent == nullptr || !HasPicture()) {
        return false;
    }
    setParent(parent);
    const QSize own = Current().size();
    setGeometry(x, y, width > 0 ? width : own.width(), height > 0 ? height : own.height());
    show();
    return true;
}

void CSkinImage::Release() {
    picture_ = QImage();
    link_ = tstring();
    update();
}

void CSkinImage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (HasPicture()) {
        painter.drawImage(rect(), Current());
    } else {
        painter.fillRect(rect(), Qt::black);
    }
}

void CSkinImage::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && !link_.IsEmpty()) {
        vantor::OpenWithDesktop(ToQt(link_));
    }
    QWidget::mouseReleaseEvent(event);
}
