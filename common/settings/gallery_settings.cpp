#include "settings/gallery_settings.h"

#include "settings/bounded_setting.h"
#include "text/narrow_text.h"
#include "platform/network_address.h"
#include "platform/profile_file.h"

namespace vantor::settings {

GallerySettings ReadGallerySettings(const tstring& config_file) {
    GallerySettings settings;
    settings.personal_links = ReadBoundedInt(kPersonalLinks, config_file, 0, 1) != 0;
    settings.gallery = ReadBoundedInt(kGalleryOn, config_file, 0, 1) != 0;
    settings.port = ReadBoundedInt(kGalleryPort, config_file, 1024, 65535);
    settings.qr_seconds = ReadBoundedInt(kLinkQrSeconds, config_file, 1, 600);
    settings.event_code = ReadTrimmedText(kEventCode, config_file);
    if (settings.event_code.size() > kMaxEventCodeLength) {
        settings.event_code.resize(kMaxEventCodeLength);
    }
    settings.address = ReadTrimmedText(kLinkAddress, config_file);
    if (!IsHostName(settings.address)) {
        settings.address.clear();
    }
    settings.event_name = ReadTrimmedText(kEventName, config_file);
    return settings;
}

std::optional<std::string> LinkHost(const GallerySettings& settings) {
    if (!settings.address.empty()) {
        return settings.address;
    }
    return DefaultRouteAddress();
}

}  // namespace vantor::settings
