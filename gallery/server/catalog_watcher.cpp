#include "server/catalog_watcher.h"

#include <QLoggingCategory>

namespace vantor::gallery {
namespace {

Q_LOGGING_CATEGORY(lcWatcher, "vantor.gallery")

// Thumbnails made in one pass at most, so that a stop is never kept waiting long.
constexpr int kThumbnailsPerPass = 40;

}  // namespace

CatalogWatcher::CatalogWatcher(PictureCatalog& catalog, ThumbnailCache& thumbnails, const Clock& clock,
                               std::chrono::milliseconds period)
    : catalog_(catalog), thumbnails_(thumbnails), clock_(clock), period_(period), thread_([this] {
          Run();
      }) {}

CatalogWatcher::~CatalogWatcher() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

bool CatalogWatcher::Stopping() {
    std::lock_guard lock(mutex_);
    return stop_;
}

int CatalogWatcher::RunOnce() {
    if (catalog_.Refresh()) {
        qCDebug(lcWatcher) << "the link index changed";
    }
    int made = 0;
    for (const links::LinkEntry& entry : catalog_.Days(GalleryDays(clock_.Now()))) {
        if (made >= kThumbnailsPerPass || Stopping()) {
            break;
        }
        if (thumbnails_.Contains(entry.id)) {
            continue;
        }
        if (std::optional<std::string> jpeg = MakeThumbnail(catalog_.FramedFile(entry))) {
            thumbnails_.Insert(entry.id, std::move(*jpeg));
            ++made;
        }
    }
    return made;
}

void CatalogWatcher::Run() {
    std::unique_lock lock(mutex_);
    while (!stop_) {
        lock.unlock();
        RunOnce();
        lock.lock();
        wake_.wait_for(lock, period_, [this] { return stop_; });
    }
}

}  // namespace vantor::gallery
