#include "lottery/lottery_pictures.h"

#include <QByteArray>
#include <QFont>
#include <QPainter>
#include <algorithm>
#include <optional>
#include <string>

#include "imaging/jpeg_reduced.h"
#include "imaging/picture_limits.h"
#include "platform/native_path.h"
#include "platform/whole_file.h"
#include "text/qt_text.h"

namespace travenor {
namespace {

QImage DecodeCovering(const tstring& file, QSize needed) {
    const std::optional<std::string> bytes =
        vantor::ReadWholeFile(vantor::ToNativePath(file), vantor::kMaxPictureFileBytes);
    if (!bytes) {
        return {};
    }
    const QByteArray data = QByteArray::fromRawData(bytes->data(), static_cast<qsizetype>(bytes->size()));
    QSize full;
    if (!vantor::ReadJpegSize(data, &full)) {
        return {};
    }
    return vantor::DecodeJpegScaled(data, vantor::JpegScaleFor(full, needed), vantor::JpegDamage::Refuse);
}

// Writes the winner's time stem in white across a cell whose photo cannot be shown, as large as
// the cell allows, so that everybody can still tell who won.
void DrawStemInCell(QPainter& painter, const QRect& cell, const tstring& file) {
    const QString stem = ToQt(WinnerStem(file));
    if (stem.isEmpty() || cell.width() < 4 || cell.height() < 4) {
        return;
    }
    QFont font(QStringLiteral("WenQuanYi Zen Hei"));
    font.setBold(true);
    font.setPixelSize(std::max(6, cell.height() / 4));
    painter.setFont(font);
    const int wide = painter.fontMetrics().horizontalAdvance(stem);
    const int room = cell.width() * 9 / 10;
    if (wide > room) {
        font.setPixelSize(std::max(6, font.pixelSize() * room / wide));
        painter.setFont(font);
    }
    painter.setPen(Qt::white);
    painter.drawText(cell, Qt::AlignCenter, stem);
}

}  // namespace

tstring WinnerStem(const tstring& file) {
    const tstring name = vantor::BareFileName(file);
    const int dot = name.ReFind(u'.');
    return dot > 0 ? name.Left(dot) : name;
}

QImage DecodeRollingPhoto(const tstring& file, QSize area) {
    return DecodeCovering(file, QSize((area.width() + 1) / 2, (area.height() + 1) / 2));
}

QImage DecodeCellPhoto(const tstring& file, QSize cell) {
    return DecodeCovering(file, cell);
}

QImage ComposeWinnerGrid(QSize area, int columns, const std::vector<tstring>& winners) {
    QImage grid(area, QImage::Format_RGB888);
    grid.fill(QColor(255, 0, 0));
    if (columns <= 0 || grid.isNull()) {
        return grid;
    }
    const QSize cell(area.width() / columns, area.height() / columns);
    QPainter painter(&grid);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (std::size_t k = 0; k < winners.size() && k < static_cast<std::size_t>(columns * columns); ++k) {
        const int row = static_cast<int>(k) / columns;
        const int column = static_cast<int>(k) % columns;
        const QRect place(QPoint(column * cell.width(), row * cell.height()), cell);
        const QImage photo = DecodeCellPhoto(winners[k], cell);
        if (photo.isNull()) {
            DrawStemInCell(painter, place, winners[k]);
            continue;
        }
        painter.drawImage(place, photo);
    }
    return grid;
}

}  // namespace travenor
