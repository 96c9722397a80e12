#pragma once
// The personal links of the storage as the photo server reads them, shared by all request
// threads. A refresh (one thread at a time) reads the index files again only when they changed
// and then swaps in a new index whole, so a request never waits for a file to be read.
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>
#include "links/link_index.h"
#include "platform/local_clock.h"

namespace vantor::gallery {

class PictureCatalog {
  public:
    explicit PictureCatalog(tstring storage_root);

    // True when anything changed since the last refresh.
    bool Refresh();

    std::optional<links::LinkEntry> ByToken(std::string_view token) const;
    std::optional<links::LinkEntry> ById(std::string_view id) const;
    // The records of the days, newest first within a day, the days in the given order.
    std::vector<links::LinkEntry> Days(const std::vector<std::string>& days) const;

    // The files of a record (native paths).
    std::string FramedFile(const links::LinkEntry& entry) const;
    std::string PlainFile(const links::LinkEntry& entry) const;
    std::string VoiceFile(const links::LinkEntry& entry) const;

  private:
    std::shared_ptr<const links::LinkIndex> Current() const;

    const tstring root_;
    std::mutex refresh_mutex_;          // guards probe_: one refresh at a time
    links::LinkIndex probe_;            // tells whether the files changed
    mutable std::mutex current_mutex_;  // guards current_ (the pointer, not the index)
    std::shared_ptr<const links::LinkIndex> current_;
};

// The days the gallery shows at `now`: today, and before 6 in the morning also the day before,
// so an evening's party keeps its gallery past midnight.
std::vector<std::string> GalleryDays(const LocalDateTime& now);

}  // namespace vantor::gallery
