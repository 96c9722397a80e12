#include "capture/sign_in_files.h"

#include <QApplication>
#include <QFile>
#include <QImageReader>
#include <QFontMetrics>
#include <QPainter>
#include <QBuffer>
#include <cstdlib>
#include <string_view>
#include "platform/native_path.h"
#include "platform/whole_file.h"
#include "text/qt_text.h"

namespace {

QString NativeName(const tstring& path) {
    return QString::fromStdString(vantor::ToNativePath(path));
}

// The JPEG bytes of the picture at the encoder's default quality; empty when it cannot be encoded.
QByteArray EncodeJpeg(const QImage& picture) {
    QByteArray bytes;
    if (picture.isNull()) {
        return bytes;
    }
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "JPG")) {
        bytes.clear();
    }
    return bytes;
}

std::string_view View(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

}  // namespace

bool WriteJpegAtomically(const QImage& picture, const tstring& path) {
    const QByteArray bytes = EncodeJpeg(picture);
    return !bytes.isEmpty() &&
           vantor::ReplaceWholeFile(vantor::ToNativePath(path), View(bytes), vantor::NewFileMode());
}

bool WriteNewJpeg(const QImage& picture, const tstring& path) {
    const QByteArray bytes = EncodeJpeg(picture);
    return !bytes.isEmpty() && vantor::CreateWholeFile(vantor::ToNativePath(path), View(bytes));
}

bool ReencodeJpeg(const tstring& from, const tstring& to) {
    const QImage decoded(NativeName(from));
    return WriteNewJpeg(decoded, to);
}

std::string JpegBytes(const QImage& picture) {
    const QByteArray bytes = EncodeJpeg(picture);
    return std::string(View(bytes));
}

std::string ReencodedJpegBytes(const tstring& from) {
    return JpegBytes(QImage(NativeName(from)));
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
    constexpr int kHalo = 2;  // the light ring around the letters, inside the stamp's corner
    const QPoint origin = at + QPoint(kHalo, kHalo);
    const QRect area(
        origin, QSize(std::max(1, picture.width() - origin.x()), std::max(1, picture.height() - origin.y())));
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip;
    const QString text = ToQt(TimeStampText(time));
    // The stamp keeps its place; a long date on a narrow picture gets smaller letters rather than
    // running off the edge.
    QFont font = QApplication::font();
    font.setBold(true);
    for (int pixels = kTimeStampPixels; pixels >= 8; --pixels) {
        font.setPixelSize(pixels);
        if (QFontMetrics(font).horizontalAdvance(text) + kHalo <= area.width()) {
            break;
        }
    }
    QPainter painter(&picture);
    painter.setFont(font);
    // Red letters on a soft light ring read on every frame, the dark red ones too.
    painter.setPen(QColor(255, 255, 255, 140));
    for (int dx = -kHalo; dx <= kHalo; ++dx) {
        for (int dy = -kHalo; dy <= kHalo; ++dy) {
            if ((dx != 0 || dy != 0) && std::abs(dx) + std::abs(dy) <= kHalo + 1) {
                painter.drawText(area.translated(dx, dy), flags, text);
            }
        }
    }
    painter.setPen(QColor(255, 0, 0));
    painter.drawText(area, flags, text);
}
