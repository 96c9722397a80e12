#include "live/live_settings.h"

#include "settings/bounded_setting.h"

namespace halvix {

LiveSettings ReadLiveSettings(const tstring& config_file) {
    using namespace vantor::settings;
    LiveSettings settings;
    settings.live = ReadBoundedInt(kLiveWall, config_file, 0, 1) != 0;
    settings.announce = ReadBoundedInt(kAnnounceArrivals, config_file, 0, 1) != 0;
    settings.announce_for = std::chrono::seconds(ReadBoundedInt(kAnnounceSeconds, config_file, 1, 60));
    return settings;
}

}  // namespace halvix
