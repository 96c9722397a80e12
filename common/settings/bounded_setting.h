#pragma once
// An integer setting of "Bin\config.ini" read within its range: a missing key or a value outside
// min..max reads as the setting's default.
#include "settings/settings_table.h"
#include "text/tstring.h"

namespace vantor::settings {

int ReadBoundedInt(const IntSetting& setting, const tstring& config_file, int min, int max);

// This station's number (kStationNumber), 1 when missing or out of range.
int ReadStationNumber(const tstring& config_file);

}  // namespace vantor::settings
