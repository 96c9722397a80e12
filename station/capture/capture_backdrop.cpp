#include "capture/capture_backdrop.h"

#include <QPainter>
#include <algorithm>
#include "language/language.h"
#include "platform/native_path.h"
#include "text/qt_text.h"

int CapturePanelFontPixels(int window_height) {
    return std::max(12, window_height * 24 / 1000);
}

CaptureBackdrop::CaptureBackdrop()
    : panel_picture_(QString::fromStdString(vantor::ToNativePath(tstring(kPanelPicture)))) {}

void CaptureBackdrop::Paint(QPainter& painter, QSize window, QRect preview, const QImage& inked,
                            int guests) const {
    if (!inked.isNull()) {
        // The still is in the screen's pixels, which may be finer than window units.
        painter.drawImage(QRectF(preview), inked);
    } else {
        painter.fillRect(preview, Qt::black);
    }
    const QRect panel(QPoint(preview.right() + 1, 0), QPoint(window.width() - 1, window.height() - 1));
    if (!panel_picture_.isNull()) {
        painter.drawImage(panel, panel_picture_);
    } else {
        painter.fillRect(panel, QColor(250, 244, 236));
    }
    tstring counter;
    counter.Format(u"%s: %d", GetLanStr(u"1"), guests);
    painter.setPen(QColor(255, 0, 0));
    QFont font(QStringLiteral("WenQuanYi Zen Hei"));
    font.setPixelSize(CapturePanelFontPixels(window.height()));
    painter.setFont(font);
    painter.drawText(QPoint(preview.right() + 1 + 30, preview.bottom() + 1 - 30), ToQt(counter));
}
