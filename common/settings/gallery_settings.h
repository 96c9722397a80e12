#pragma once
// The [gallery] settings of "Bin\config.ini" as the station, the photo server and the wall use
// them; out-of-range values read as their defaults.
#include <optional>
#include <string>
#include "settings/settings_table.h"
#include "tarquel_export.h"
#include "text/tstring.h"

namespace vantor::settings {

inline constexpr std::size_t kMaxEventCodeLength = 32;

struct GallerySettings {
    bool personal_links = kPersonalLinks.fallback != 0;
    bool gallery = kGalleryOn.fallback != 0;
    int port = kGalleryPort.fallback;          // 1024..65535
    int qr_seconds = kLinkQrSeconds.fallback;  // 1..600
    std::string event_code;                    // UTF-8, blanks trimmed; empty: none
    std::string address;                       // a host name or address; empty: find one
    std::string event_name;                    // UTF-8

    // The photo server runs when either is on.
    bool ServerWanted() const { return personal_links || gallery; }
};

TARQUEL_API GallerySettings ReadGallerySettings(const tstring& config_file = tstring(kConfigFile));

// The host the links name: the configured address, else the address of the network with the
// default route; nothing on a machine without a network.
TARQUEL_API std::optional<std::string> LinkHost(const GallerySettings& settings);

}  // namespace vantor::settings
