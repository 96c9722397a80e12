#pragma once
// What the main station shows to be joined, as text and as a QR code: its Syncthing device ID and
// where the other stations reach it, "vantor-sync:<device ID>@<host>:<port>". Read back from a
// camera or from what an operator typed, with blanks, line breaks and small letters allowed.
#include <optional>
#include <string>
#include <string_view>

namespace travenor::sync {

struct PairingCode {
    std::string device_id;  // eight groups of seven letters A-Z and digits 2-7, joined by '-'
    std::string host;
    int port = 0;
};

std::string FormatPairingCode(const PairingCode& code);
std::optional<PairingCode> ParsePairingCode(std::string_view text);
bool IsDeviceId(std::string_view text);

}  // namespace travenor::sync
