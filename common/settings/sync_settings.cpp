#include "settings/sync_settings.h"

#include "settings/bounded_setting.h"

namespace vantor::settings {

SyncSettings ReadSyncSettings(const tstring& config_file) {
    SyncSettings settings;
    settings.on = ReadBoundedInt(kSyncOn, config_file, 0, 1) != 0;
    settings.port = ReadBoundedInt(kSyncPort, config_file, 1024, 65535);
    settings.control_port = ReadBoundedInt(kSyncControlPort, config_file, 1024, 65535);
    settings.address = ReadTrimmedText(kSyncAddress, config_file);
    if (!IsHostName(settings.address)) {
        settings.address.clear();
    }
    if (settings.control_port == settings.port) {
        settings.control_port =
            kSyncControlPort.fallback == settings.port ? kSyncPort.fallback : kSyncControlPort.fallback;
    }
    return settings;
}

}  // namespace vantor::settings
