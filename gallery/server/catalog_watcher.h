#pragma once
// The photo server's background thread: about once a second it refreshes the catalog and makes
// the thumbnails of the gallery's new pictures ahead, so that the phones find them ready.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include "platform/local_clock.h"
#include "server/picture_catalog.h"
#include "server/thumbnail_cache.h"

namespace vantor::gallery {

class CatalogWatcher {
  public:
    CatalogWatcher(PictureCatalog& catalog, ThumbnailCache& thumbnails, const Clock& clock,
                   std::chrono::milliseconds period = std::chrono::seconds(1));
    ~CatalogWatcher();
    CatalogWatcher(const CatalogWatcher&) = delete;
    CatalogWatcher& operator=(const CatalogWatcher&) = delete;

    // One pass (also what the thread does each period): refresh, then the missing thumbnails of
    // the gallery's days, newest first. Returns how many thumbnails it made.
    int RunOnce();

  private:
    void Run();
    bool Stopping();

    PictureCatalog& catalog_;
    ThumbnailCache& thumbnails_;
    const Clock& clock_;
    const std::chrono::milliseconds period_;
    std::mutex mutex_;  // guards stop_
    std::condition_variable wake_;
    bool stop_ = false;
    std::thread thread_;  // last: starts when everything above is ready
};

}  // namespace vantor::gallery
