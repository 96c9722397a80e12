#include "controls/button_face.h"

#include <QImage>
#include <QImageReader>
#include <QPainter>
#include "controls/button_st.h"
#include "platform/native_path.h"

namespace vantor {

bool LoadButtonFace(QPixmap& holder, const tstring& imageFile, CButtonST& button) {
    QImageReader reader(QString::fromStdString(ToNativePath(imageFile)));
    reader.setAutoTransform(true);
    const QImage picture = reader.read();
    if (picture.isNull() || button.width() <= 0 || button.height() <= 0) {
        return false;
    }
    QImage face(button.size(), QImage::Format_RGB32);
    face.fill(Qt::white);
    {
        QPainter painter(&face);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(QPoint(0, 0), button.size()), picture);
    }
    holder = QPixmap::fromImage(face);
    button.SetBitmaps(holder, std::nullopt);
    button.SetAlign(ST_ALIGN_HORIZ, true);
    return true;
}

}  // namespace vantor
