#pragma once
// The [sync] settings of "Bin\config.ini": whether this station shares its storage with the other
// stations of the event, and on which ports and address; out-of-range values read as defaults.
#include <string>
#include "settings/settings_table.h"
#include "tarquel_export.h"
#include "text/tstring.h"

namespace vantor::settings {

struct SyncSettings {
    bool on = kSyncOn.fallback != 0;
    int port = kSyncPort.fallback;                 // 1024..65535, for the other stations
    int control_port = kSyncControlPort.fallback;  // 1024..65535, on 127.0.0.1 only
    std::string address;                           // a host or address; empty: every address
};

TARQUEL_API SyncSettings ReadSyncSettings(const tstring& config_file = tstring(kConfigFile));

}  // namespace vantor::settings
