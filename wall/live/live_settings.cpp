#include "live/live_settings.h"

#include "platform/profile_file.h"

namespace halvix {
namespace {

int ReadInt(const vantor::settings::IntSetting& setting, const tstring& file, int min, int max) {
    const int value =
        static_cast<int>(vantor::GetPrivateProfileIntW(setting.section, setting.key, setting.fallback, file));
    return value < min || value > max ? setting.fallback : value;
}

}  // namespace

LiveSettings ReadLiveSettings(const tstring& config_file) {
    LiveSettings settings;
    settings.live = ReadInt(vantor::settings::kLiveWall, config_file, 0, 1) != 0;
    settings.announce = ReadInt(vantor::settings::kAnnounceArrivals, config_file, 0, 1) != 0;
    settings.announce_for =
        std::chrono::seconds(ReadInt(vantor::settings::kAnnounceSeconds, config_file, 1, 60));
    return settings;
}

}  // namespace halvix
