#pragma once
// The [wall] settings of "Bin\config.ini": whether the wall takes new pictures of its folder at
// once, whether it announces them and for how long. Out-of-range values read as their defaults.
#include <chrono>
#include "settings/settings_table.h"
#include "text/tstring.h"

namespace halvix {

struct LiveSettings {
    bool live = vantor::settings::kLiveWall.fallback != 0;
    bool announce = vantor::settings::kAnnounceArrivals.fallback != 0;
    std::chrono::seconds announce_for{vantor::settings::kAnnounceSeconds.fallback};
};

LiveSettings ReadLiveSettings(const tstring& config_file = tstring(vantor::settings::kConfigFile));

}  // namespace halvix
