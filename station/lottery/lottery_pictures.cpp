#include "lottery/lottery_pictures.h"

#include <QByteArray>
#include <QPainter>
#include <optional>
#include <string>

#include "imaging/jpeg_reduced.h"
#include "imaging/picture_limits.h"
#include "platform/native_path.h"
#include "platform/whole_file.h"

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

}  // namespace

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
        const QImage photo = DecodeCellPhoto(winners[k], cell);
        if (photo.isNull()) {
            continue;
        }
        const int row = static_cast<int>(k) / columns;
        const int column = static_cast<int>(k) % columns;
        painter.drawImage(QRect(QPoint(column * cell.width(), row * cell.height()), cell), photo);
    }
    return grid;
}

}  // namespace travenor
