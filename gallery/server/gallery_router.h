#pragma once
// The photo server's answers. A request names a token or a picture id, never a path: the only
// files served are those the link index names for them. Every target that is not exactly one of
// these routes is the same 404, whatever made it wrong (an unknown token, a missing file, a
// switched-off part, an encoded slash, a NUL byte).
//
//   GET  /p/<token>                      the guest's page
//   GET  /p/<token>/framed.jpg[?save=1]  his framed picture (save=1: as a download)
//   GET  /p/<token>/photo.jpg[?save=1]   his plain photo
//   GET  /p/<token>/voice.wav[?save=1]   his voice message
//   GET  /g                              the gallery (the event code's form when one is set)
//   POST /g                              the event code (form field "code")
//   GET  /g/list.json                    the gallery's pictures, for its live update
//   GET  /g/<id>.jpg                     a gallery picture at full size
//   GET  /t/<id>.jpg                     its thumbnail
//   GET  /s/<file>                       the pages' style sheet and scripts
// HEAD goes wherever GET does.
#include <map>
#include <string>
#include "platform/local_clock.h"
#include "server/event_code_guard.h"
#include "server/exchange.h"
#include "server/gallery_pages.h"
#include "server/picture_catalog.h"
#include "server/rate_limiter.h"
#include "server/thumbnail_cache.h"
#include "settings/gallery_settings.h"

namespace vantor::gallery {

struct StaticFile {
    std::string content_type;
    std::string body;
};

// The most pictures the gallery's list names (the newest).
inline constexpr std::size_t kMaxGalleryPictures = 500;

// The headers every answer carries, whoever makes it.
Headers SecurityHeaders();

struct RouterSetup {
    settings::GallerySettings settings;
    PageContext page;
    std::map<std::string, StaticFile> static_files;  // by name under /s/
};

class GalleryRouter {
  public:
    GalleryRouter(RouterSetup setup, PictureCatalog& catalog, ThumbnailCache& thumbnails,
                  const EventCodeGuard& guard, const Clock& clock);

    Reply Handle(const Request& request);
    // The one 404 of this server.
    Reply NotFound() const;

  private:
    Reply Route(const Request& request);
    Reply Personal(const Request& request, const std::string& token, const std::string& file,
                   const std::string& query);
    bool AllowGallery(const Request& request);
    Reply Gallery(const Request& request);
    Reply GalleryList(const Request& request);
    Reply ServePicture(const Request& request, const std::string& id, bool thumbnail);
    Reply PostCode(const Request& request);
    Reply FileReply(const std::string& path, const char* type, const std::string& name,
                    const std::string& fallback, bool save) const;

    RouterSetup setup_;
    PictureCatalog& catalog_;
    ThumbnailCache& thumbnails_;
    const EventCodeGuard& guard_;
    const Clock& clock_;
    RateLimiter gallery_limiter_;  // gallery requests per phone: a screen of thumbnails at once
    RateLimiter code_limiter_;     // event code guesses per phone
    std::string not_found_html_;
};

}  // namespace vantor::gallery
