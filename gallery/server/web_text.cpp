#include "server/web_text.h"

#include <cstdint>

namespace vantor::gallery {
namespace {

// The length of the valid UTF-8 sequence at the front of `text`, 0 when it is not one.
std::size_t Utf8SequenceLength(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    const std::uint8_t lead = byte(0);
    std::size_t length = 0;
    std::uint32_t min = 0;
    std::uint32_t code = 0;
    if (lead < 0x80) {
        return 1;
    } else if ((lead & 0xe0) == 0xc0) {
        length = 2, min = 0x80, code = lead & 0x1f;
    } else if ((lead & 0xf0) == 0xe0) {
        length = 3, min = 0x800, code = lead & 0x0f;
    } else if ((lead & 0xf8) == 0xf0) {
        length = 4, min = 0x10000, code = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() < length) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xc0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (byte(i) & 0x3f);
    }
    if (code < min || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff)) {
        return 0;
    }
    return length;
}

constexpr std::string_view kReplacement = "\xef\xbf\xbd";
constexpr char kHex[] = "0123456789ABCDEF";

// Calls `each` with every character of the text as bytes; invalid bytes come as U+FFFD.
template <typename Each>
void ForEachCharacter(std::string_view text, Each each) {
    while (!text.empty()) {
        const std::size_t length = Utf8SequenceLength(text);
        each(length == 0 ? kReplacement : text.substr(0, length));
        text.remove_prefix(length == 0 ? 1 : length);
    }
}

}  // namespace

std::string HtmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    ForEachCharacter(text, [&](std::string_view c) {
        switch (c[0]) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    });
    return out;
}

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    ForEachCharacter(text, [&](std::string_view c) {
        const auto byte = static_cast<std::uint8_t>(c[0]);
        if (c[0] == '"' || c[0] == '\\') {
            out += '\\';
            out += c[0];
        } else if (byte < 0x20 || c[0] == '<' || c[0] == '>' || c[0] == '&') {
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xf];
        } else {
            out += c;
        }
    });
    return out + '"';
}

std::string ContentDisposition(std::string_view disposition, std::string_view utf8_name,
                               std::string_view fallback) {
    std::string out = std::string(disposition) + "; filename=\"";
    for (const char c : fallback) {
        const auto byte = static_cast<std::uint8_t>(c);
        out += (byte < 0x20 || byte >= 0x7f || c == '"' || c == '\\') ? '_' : c;
    }
    out += "\"; filename*=UTF-8''";
    ForEachCharacter(utf8_name, [&](std::string_view c) {
        for (const char part : c) {
            const auto byte = static_cast<std::uint8_t>(part);
            const bool plain = (part >= 'a' && part <= 'z') || (part >= 'A' && part <= 'Z') ||
                               (part >= '0' && part <= '9') || part == '-' || part == '.' || part == '_' ||
                               part == '~';
            if (plain) {
                out += part;
            } else {
                out += '%';
                out += kHex[byte >> 4];
                out += kHex[byte & 0xf];
            }
        }
    });
    return out;
}

std::string FileNamePart(std::string_view utf8_text) {
    constexpr std::size_t kMaxBytes = 80;
    constexpr std::string_view kRefused = "/\\:*?\"<>|";
    std::string out;
    ForEachCharacter(utf8_text, [&](std::string_view c) {
        const auto byte = static_cast<std::uint8_t>(c[0]);
        const bool blank = c.size() == 1 && (byte < 0x20 || byte == 0x7f ||
                                             kRefused.find(c[0]) != std::string_view::npos || c[0] == ' ');
        if (blank) {
            if (!out.empty() && out.back() != ' ' && out.size() < kMaxBytes) {
                out += ' ';
            }
        } else if (out.size() + c.size() <= kMaxBytes) {
            out += c;
        }
    });
    while (!out.empty() && (out.back() == ' ' || out.back() == '.')) {
        out.pop_back();
    }
    out.erase(0, out.find_first_not_of(". "));
    return out;
}

}  // namespace vantor::gallery
