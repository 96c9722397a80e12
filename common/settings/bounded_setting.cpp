#include "settings/bounded_setting.h"

#include "platform/profile_file.h"

namespace vantor::settings {

int ReadBoundedInt(const IntSetting& setting, const tstring& config_file, int min, int max) {
    const int value =
        static_cast<int>(GetPrivateProfileIntW(setting.section, setting.key, setting.fallback, config_file));
    return value < min || value > max ? setting.fallback : value;
}

int ReadStationNumber(const tstring& config_file) {
    return ReadBoundedInt(kStationNumber, config_file, 1, kHighestStationNumber);
}

}  // namespace vantor::settings
