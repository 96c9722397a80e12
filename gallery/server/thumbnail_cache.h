#pragma once
// Small JPEG copies of the framed pictures for the gallery, kept in memory and bounded by their
// total size (the least recently used go first). Nothing is written to disk.
#include <cstddef>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace vantor::gallery {

// The long side of a thumbnail in pixels: two columns on a phone of 390 points at three pixels
// a point.
inline constexpr int kThumbnailSide = 600;

// A thumbnail of the JPEG file made with the reduced decoder (the picture is decoded at the
// smallest eighth that still covers the thumbnail, never at full size); nothing when the file
// is missing or no JPEG.
std::optional<std::string> MakeThumbnail(const std::string& native_path, int side = kThumbnailSide);

class ThumbnailCache {
  public:
    explicit ThumbnailCache(std::size_t max_bytes);

    std::shared_ptr<const std::string> Find(const std::string& id);
    bool Contains(const std::string& id) const;
    void Insert(const std::string& id, std::string jpeg);
    std::size_t Bytes() const;

  private:
    struct Item {
        std::shared_ptr<const std::string> jpeg;
        std::list<std::string>::iterator use;
    };
    const std::size_t max_bytes_;
    mutable std::mutex mutex_;  // guards items_, uses_ and bytes_
    std::map<std::string, Item> items_;
    std::list<std::string> uses_;  // ids, most recently used first
    std::size_t bytes_ = 0;
};

}  // namespace vantor::gallery
