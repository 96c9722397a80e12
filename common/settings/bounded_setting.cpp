#include "settings/bounded_setting.h"

#include <algorithm>
#include <cctype>

#include "platform/profile_file.h"
#include "text/narrow_text.h"

namespace vantor::settings {

int ReadBoundedInt(const IntSetting& setting, const tstring& config_file, int min, int max) {
    const int value =
        static_cast<int>(GetPrivateProfileIntW(setting.section, setting.key, setting.fallback, config_file));
    return value < min || value > max ? setting.fallback : value;
}

std::string ReadTrimmedText(const TextSetting& setting, const tstring& config_file) {
    char16_t buffer[256] = {};
    GetPrivateProfileStringW(setting.section, setting.key, setting.fallback, buffer, 256, config_file);
    std::string text = WideToUtf8(buffer);
    const auto blank = [](unsigned char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.back())) {
        text.pop_back();
    }
    text.erase(text.begin(), std::find_if_not(text.begin(), text.end(), blank));
    return text;
}

bool IsHostName(const std::string& text) {
    return !text.empty() && text.size() <= 253 && std::all_of(text.begin(), text.end(), [](unsigned char c) {
        return std::isalnum(c) || c == '.' || c == '-' || c == ':';
    });
}

int ReadStationNumber(const tstring& config_file) {
    return ReadBoundedInt(kStationNumber, config_file, 1, kHighestStationNumber);
}

}  // namespace vantor::settings
