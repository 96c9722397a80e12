#include "settings/gallery_settings.h"

#include <algorithm>
#include <cctype>

#include "settings/bounded_setting.h"
#include "text/narrow_text.h"
#include "platform/network_address.h"
#include "platform/profile_file.h"

namespace vantor::settings {
namespace {

std::string ReadText(const TextSetting& setting, const tstring& file) {
    char16_t buffer[256] = {};
    GetPrivateProfileStringW(setting.section, setting.key, setting.fallback, buffer, 256, file);
    std::string text = WideToUtf8(buffer);
    const auto blank = [](unsigned char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.back())) {
        text.pop_back();
    }
    text.erase(text.begin(), std::find_if_not(text.begin(), text.end(), blank));
    return text;
}

// Letters, digits, dots, hyphens and the colons of an IPv6 address: a host a link can name as
// it is.
bool IsHostName(const std::string& text) {
    return !text.empty() && text.size() <= 253 && std::all_of(text.begin(), text.end(), [](unsigned char c) {
        return std::isalnum(c) || c == '.' || c == '-' || c == ':';
    });
}

}  // namespace

GallerySettings ReadGallerySettings(const tstring& config_file) {
    GallerySettings settings;
    settings.personal_links = ReadBoundedInt(kPersonalLinks, config_file, 0, 1) != 0;
    settings.gallery = ReadBoundedInt(kGalleryOn, config_file, 0, 1) != 0;
    settings.port = ReadBoundedInt(kGalleryPort, config_file, 1024, 65535);
    settings.qr_seconds = ReadBoundedInt(kLinkQrSeconds, config_file, 1, 600);
    settings.event_code = ReadText(kEventCode, config_file);
    if (settings.event_code.size() > kMaxEventCodeLength) {
        settings.event_code.resize(kMaxEventCodeLength);
    }
    settings.address = ReadText(kLinkAddress, config_file);
    if (!IsHostName(settings.address)) {
        settings.address.clear();
    }
    settings.event_name = ReadText(kEventName, config_file);
    return settings;
}

std::optional<std::string> LinkHost(const GallerySettings& settings) {
    if (!settings.address.empty()) {
        return settings.address;
    }
    return DefaultRouteAddress();
}

}  // namespace vantor::settings
