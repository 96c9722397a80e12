#include "capture/sign_in_files.h"

#include <QApplication>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QSaveFile>
#include "platform/native_path.h"
#include "text/qt_text.h"

namespace {

QString NativeName(const tstring& path) {
    return QString::fromStdString(vantor::ToNativePath(path));
}

}  // namespace

bool WriteJpegAtomically(const QImage& picture, const tstring& path) {
    if (picture.isNull()) {
        return false;
    }
    QSaveFile file(NativeName(path));
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    if (!picture.save(&file, "JPG")) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool ReencodeJpeg(const tstring& from, const tstring& to) {
    const QImage decoded(NativeName(from));
    return WriteJpegAtomically(decoded, to);
}

bool FileExists(const tstring& path) {
    return QFile::exists(NativeName(path));
}

bool DeleteFileAt(const tstring& path) {
    return QFile::remove(NativeName(path));
}

tstring TimeStampText(const vantor::LocalDateTime& time) {
    tstring text;
    text.Format(u"%d/%d/%d  %d:%d:%d", time.year, time.month, time.day, time.hour, time.minute, time.second);
    return text;
}

bool SameSecond(const vantor::LocalDateTime& a, const vantor::LocalDateTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
           a.minute == b.minute && a.second == b.second;
}

void DrawTimeStamp(QImage& picture, const vantor::LocalDateTime& time, QPoint at) {
    QPainter painter(&picture);
    painter.setFont(QApplication::font());
    painter.setPen(QColor(255, 0, 0));
    painter.drawText(
        QRect(at, QSize(std::max(1, picture.width() - at.x()), std::max(1, picture.height() - at.y()))),
        Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, ToQt(TimeStampText(time)));
}
