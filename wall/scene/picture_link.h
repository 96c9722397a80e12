#pragma once
// The personal link of a picture the wall shows. A sign-in's framed picture lies in its day's
// "WithTemplate" folder ("<storage>/2026-12-9/WithTemplate/9-5-7.jpg"), and the records of the
// links lie beside the day folders under the same storage root; any other folder (a lottery
// folder, a folder of the host's own) has no links.
#include <functional>
#include <optional>
#include <string>
#include "links/link_index.h"
#include "settings/gallery_settings.h"
#include "text/tstring.h"

namespace halvix {

// Where a picture's record is looked for.
struct PicturePlace {
    tstring storage_root;  // logic path, the day folder's parent
    std::string day;       // "2026-12-9"
    std::string stem;      // "9-5-7"

    bool operator==(const PicturePlace&) const = default;
};

// The place of the picture `name` in the listed (native, absolute) folder; nothing unless the
// folder is a day's "WithTemplate" folder and the name is a sign-in's "<stem>.jpg". No file is
// read.
std::optional<PicturePlace> PlaceOfPicture(const std::string& native_folder, const std::string& name);

using GallerySettingsSource = std::function<vantor::settings::GallerySettings()>;

// Finds the personal links of pictures, reading the records and the settings afresh on each
// question (the records only when their files changed). It reads files: one thread at a time,
// never one that frames wait for.
class PictureLinks {
  public:
    // `settings`: empty reads "Bin\config.ini".
    explicit PictureLinks(GallerySettingsSource settings = {});

    // The picture's personal link; nothing when it has no record, personal links are switched off
    // or the station has no network address.
    std::optional<std::string> LinkOf(const std::string& native_folder, const std::string& name);

  private:
    GallerySettingsSource settings_;
    vantor::links::LinkIndex index_;
    tstring indexed_root_;  // the storage root index_ holds the records of
};

}  // namespace halvix
