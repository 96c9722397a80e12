#pragma once
// Settings of "Bin\config.ini" read safely. An integer within its range: a missing key or a value
// outside min..max reads as the setting's default. A text without the blanks around it.
#include <string>
#include "settings/settings_table.h"
#include "tarquel_export.h"
#include "text/tstring.h"

namespace vantor::settings {

TARQUEL_API int ReadBoundedInt(const IntSetting& setting, const tstring& config_file, int min, int max);
// UTF-8, at most 255 characters, blanks and tabs around it removed.
std::string ReadTrimmedText(const TextSetting& setting, const tstring& config_file);
// Letters, digits, dots, hyphens and the colons of an IPv6 address: a host a link or a listening
// address can name as it is.
TARQUEL_API bool IsHostName(const std::string& text);

// This station's number (kStationNumber), 1 when missing or out of range.
TARQUEL_API int ReadStationNumber(const tstring& config_file);

}  // namespace vantor::settings
