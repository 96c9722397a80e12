#include "server/thumbnail_cache.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include "imaging/exif_orientation.h"
#include "imaging/jpeg_reduced.h"
#include "platform/whole_file.h"

namespace vantor::gallery {
namespace {

// Larger files are no picture of this system.
constexpr std::uint64_t kMaxPictureBytes = 64u << 20;

}  // namespace

std::optional<std::string> MakeThumbnail(const std::string& native_path, int side) {
    const std::optional<std::string> bytes = ReadWholeFile(native_path, kMaxPictureBytes);
    if (!bytes) {
        return std::nullopt;
    }
    const QByteArray data = QByteArray::fromRawData(bytes->data(), static_cast<qsizetype>(bytes->size()));
    JpegHeader header;
    if (!ReadJpegHeader(data, &header) || header.stored_size.isEmpty()) {
        return std::nullopt;
    }
    const QSize upright = UprightSize(header.stored_size, header.orientation);
    const QSize wanted = upright.scaled(side, side, Qt::KeepAspectRatio).boundedTo(upright);
    const QSize wanted_stored = SwapsSides(header.orientation) ? wanted.transposed() : wanted;
    const QImage decoded = DecodeJpegScaled(data, JpegScaleFor(header.stored_size, wanted_stored));
    if (decoded.isNull()) {
        return std::nullopt;
    }
    const QImage thumbnail = TurnUpright(decoded, header.orientation)
                                 .scaled(wanted, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpg");
    writer.setQuality(82);
    writer.setOptimizedWrite(true);
    if (!writer.write(thumbnail)) {
        return std::nullopt;
    }
    return jpeg.toStdString();
}

ThumbnailCache::ThumbnailCache(std::size_t max_bytes) : max_bytes_(max_bytes) {}

std::shared_ptr<const std::string> ThumbnailCache::Find(const std::string& id) {
    std::lock_guard lock(mutex_);
    const auto found = items_.find(id);
    if (found == items_.end()) {
        return nullptr;
    }
    uses_.splice(uses_.begin(), uses_, found->second.use);
    return found->second.jpeg;
}

bool ThumbnailCache::Contains(const std::string& id) const {
    std::lock_guard lock(mutex_);
    return items_.count(id) != 0;
}

void ThumbnailCache::Insert(const std::string& id, std::string jpeg) {
    if (jpeg.size() > max_bytes_) {
        return;
    }
    auto shared = std::make_shared<const std::string>(std::move(jpeg));
    std::lock_guard lock(mutex_);
    if (const auto found = items_.find(id); found != items_.end()) {
        bytes_ -= found->second.jpeg->size();
        uses_.erase(found->second.use);
        items_.erase(found);
    }
    bytes_ += shared->size();
    uses_.push_front(id);
    items_.emplace(id, Item{std::move(shared), uses_.begin()});
    while (bytes_ > max_bytes_ && !uses_.empty()) {
        const auto oldest = items_.find(uses_.back());
        bytes_ -= oldest->second.jpeg->size();
        items_.erase(oldest);
        uses_.pop_back();
    }
}

std::size_t ThumbnailCache::Bytes() const {
    std::lock_guard lock(mutex_);
    return bytes_;
}

}  // namespace vantor::gallery
