#include "server/exchange.h"

#include <algorithm>
#include <cctype>

namespace vantor::gallery {

std::string HeaderValue(const Headers& headers, std::string_view name) {
    const auto same = [&](const std::string& candidate) {
        return std::equal(candidate.begin(), candidate.end(), name.begin(), name.end(), [](char a, char b) {
            return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
        });
    };
    const auto found =
        std::find_if(headers.begin(), headers.end(), [&](const auto& h) { return same(h.first); });
    return found == headers.end() ? std::string() : found->second;
}

}  // namespace vantor::gallery
