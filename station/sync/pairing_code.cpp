#include "sync/pairing_code.h"

#include <cctype>
#include <charconv>

#include "settings/bounded_setting.h"
#include "sync/sync_plan.h"

namespace travenor::sync {
namespace {

constexpr std::string_view kScheme = "vantor-sync:";

}  // namespace

bool IsDeviceId(std::string_view text) {
    constexpr std::size_t kGroups = 8, kGroupLength = 7;
    if (text.size() != kGroups * kGroupLength + kGroups - 1) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool dash_place = i % (kGroupLength + 1) == kGroupLength;
        if (dash_place ? c != '-' : !((c >= 'A' && c <= 'Z') || (c >= '2' && c <= '7'))) {
            return false;
        }
    }
    return true;
}

std::string FormatPairingCode(const PairingCode& code) {
    return std::string(kScheme) + code.device_id + "@" + HostAndPort(code.host, code.port);
}

std::optional<PairingCode> ParsePairingCode(std::string_view text) {
    std::string compact;
    for (const char c : text) {
        if (!std::isspace(static_cast<unsigned char>(c))) {
            compact += c;
        }
    }
    std::string_view rest(compact);
    if (rest.size() >= kScheme.size() &&
        std::equal(kScheme.begin(), kScheme.end(), rest.begin(),
                   [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); })) {
        rest.remove_prefix(kScheme.size());
    }
    const std::size_t at = rest.find('@');
    const std::size_t colon = rest.rfind(':');
    if (at == std::string_view::npos || colon == std::string_view::npos || colon < at) {
        return std::nullopt;
    }
    PairingCode code;
    for (const char c : rest.substr(0, at)) {
        code.device_id += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    std::string_view host = rest.substr(at + 1, colon - at - 1);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
    }
    code.host = std::string(host);
    const std::string_view port = rest.substr(colon + 1);
    const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), code.port);
    if (!IsDeviceId(code.device_id) || !vantor::settings::IsHostName(code.host) || error != std::errc() ||
        end != port.data() + port.size() || code.port < 1 || code.port > 65535) {
        return std::nullopt;
    }
    return code;
}

}  // namespace travenor::sync
