#include "platform/profile_document.h"

#include <cstring>
#include <unordered_set>

#include "text/narrow_text.h"

namespace vantor {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\v' || c == u'\f';
}

std::u16string_view TrimBlanks(std::u16string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

char16_t FoldCase(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}

std::u16string Folded(std::u16string_view name) {
    std::u16string folded(TrimBlanks(name));
    for (char16_t& c : folded) {
        c = FoldCase(c);
    }
    return folded;
}

// Names match without regard to ASCII case, surrounding blanks ignored.
bool SameName(std::u16string_view a, std::u16string_view b) {
    a = TrimBlanks(a);
    b = TrimBlanks(b);
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i])) {
            return false;
        }
    }
    return true;
}

// "[name]" (blanks around allowed): the name; nothing for any other line.
std::optional<std::u16string_view> SectionHeader(std::u16string_view text) {
    text = TrimBlanks(text);
    if (text.empty() || text.front() != u'[') {
        return std::nullopt;
    }
    const std::size_t close = text.rfind(u']');
    if (close == std::u16string_view::npos) {
        return std::nullopt;
    }
    return TrimBlanks(text.substr(1, close - 1));
}

// "name=value": where the key line's name ends (the equals sign), or npos for a line that holds
// no key (blank, comment, no equals sign, empty name, or a name holding zero characters, as a
// line of a damaged file that starts with zero bytes does: no list of names could carry it).
std::size_t KeyEquals(std::u16string_view text) {
    const std::u16string_view trimmed = TrimBlanks(text);
    if (trimmed.empty() || trimmed.front() == u';' || trimmed.front() == u'[') {
        return std::u16string_view::npos;
    }
    const std::size_t equals = text.find(u'=');
    if (equals == std::u16string_view::npos || TrimBlanks(text.substr(0, equals)).empty() ||
        text.substr(0, equals).find(u'\0') != std::u16string_view::npos) {
        return std::u16string_view::npos;
    }
    return equals;
}

std::u16string_view KeyName(std::u16string_view text, std::size_t equals) {
    return TrimBlanks(text.substr(0, equals));
}

// The value as the profile functions return it: trimmed, one pair of surrounding quotes removed.
std::u16string KeyValue(std::u16string_view text, std::size_t equals) {
    std::u16string_view value = TrimBlanks(text.substr(equals + 1));
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::u16string(value);
}

std::u16string DecodeUtf16Le(std::string_view bytes) {
    std::u16string text(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                        (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    }
    return text;
}

std::string EncodeUtf16Le(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

}  // namespace

ProfileDocument ProfileDocument::Parse(std::string_view bytes, const std::string& codePage) {
    ProfileDocument document;
    document.codePage_ = codePage;
    if (bytes.substr(0, kUtf16LeMark.size()) == kUtf16LeMark) {
        document.encoding_ = Encoding::Utf16LeWithMark;
        bytes.remove_prefix(kUtf16LeMark.size());
    } else if (bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark) {
        document.encoding_ = Encoding::Utf8WithMark;
        bytes.remove_prefix(kUtf8Mark.size());
    }

    if (document.encoding_ == Encoding::Utf16LeWithMark) {
        if (bytes.size() % 2 != 0) {
            document.tail_ = std::string(bytes.substr(bytes.size() - 1));  // half a unit: kept, not read
        }
        const std::u16string text = DecodeUtf16Le(bytes);
        std::size_t start = 0;
        bool newlineSeen = false;
        while (start < text.size()) {
            std::size_t end = text.find(u'\n', start);
            const bool ended = end != std::u16string::npos;
            end = ended ? end : text.size();
            std::u16string content = text.substr(start, end - start);
            std::u16string lineEnd = ended ? u"\n" : u"";
            if (ended && !content.empty() && content.back() == u'\r') {
                content.pop_back();
                lineEnd = u"\r\n";
            }
            if (ended && !newlineSeen) {
                document.newline_ = lineEnd;
                newlineSeen = true;
            }
            Line line{EncodeUtf16Le(content), content, EncodeUtf16Le(lineEnd)};
            document.lines_.push_back(std::move(line));
            start = end + 1;
        }
        return document;
    }

    const std::string lineCodePage = document.encoding_ == Encoding::Utf8WithMark ? "UTF-8" : codePage;
    std::size_t start = 0;
    bool newlineSeen = false;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        const bool ended = end != std::string_view::npos;
        end = ended ? end : bytes.size();
        Line line;
        line.raw = std::string(bytes.substr(start, end - start));
        line.end = ended ? "\n" : "";
        if (ended && !line.raw.empty() && line.raw.back() == '\r') {
            line.raw.pop_back();
            line.end = "\r\n";
        }
        if (ended && !newlineSeen) {
            document.newline_ = line.end == "\r\n" ? u"\r\n" : u"\n";
            newlineSeen = true;
        }
        line.text = NarrowToWide(line.raw, lineCodePage);
        document.lines_.push_back(std::move(line));
        start = end + 1;
    }
    return document;
}

std::string ProfileDocument::Serialize() const {
    std::string bytes;
    if (encoding_ == Encoding::Utf8WithMark) {
        bytes += kUtf8Mark;
    } else if (encoding_ == Encoding::Utf16LeWithMark) {
        bytes += kUtf16LeMark;
    }
    for (const Line& line : lines_) {
        bytes += line.raw;
        bytes += line.end;
    }
    return bytes + tail_;
}

std::string ProfileDocument::Encode(std::u16string_view text) const {
    switch (encoding_) {
        case Encoding::Utf16LeWithMark:
            return EncodeUtf16Le(text);
        case Encoding::Utf8WithMark:
            return WideToUtf8(text);
        case Encoding::Narrow:
            break;
    }
    return WideToNarrow(text, codePage_);
}

ProfileDocument::Line ProfileDocument::MakeLine(std::u16string text) const {
    Line line;
    line.raw = Encode(text);
    line.text = std::move(text);
    line.end = Encode(newline_);
    return line;
}

std::vector<std::u16string> ProfileDocument::SectionNames() const {
    std::vector<std::u16string> names;
    std::unordered_set<std::u16string> seen;  // folded names already listed
    for (const Line& line : lines_) {
        const auto name = SectionHeader(line.text);
        if (name && !name->empty() && seen.insert(Folded(*name)).second) {
            names.emplace_back(*name);
        }
    }
    return names;
}

std::size_t ProfileDocument::FindSection(std::u16string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const auto name = SectionHeader(lines_[i].text);
        if (name && SameName(*name, section)) {
            return i;
        }
    }
    return std::string::npos;
}

std::size_t ProfileDocument::SectionEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < lines_.size() && !SectionHeader(lines_[i].text)) {
        ++i;
    }
    return i;
}

std::size_t ProfileDocument::FindKey(std::size_t header, std::u16string_view key) const {
    const std::size_t end = SectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        const std::size_t equals = KeyEquals(lines_[i].text);
        if (equals != std::u16string::npos && SameName(KeyName(lines_[i].text, equals), key)) {
            return i;
        }
    }
    return std::string::npos;
}

std::optional<std::vector<std::u16string>> ProfileDocument::KeyNames(std::u16string_view section) const {
    const std::size_t header = FindSection(section);
    if (header == std::string::npos) {
        return std::nullopt;
    }
    std::vector<std::u16string> names;
    const std::size_t end = SectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        const std::size_t equals = KeyEquals(lines_[i].text);
        if (equals != std::u16string::npos) {
            names.emplace_back(KeyName(lines_[i].text, equals));
        }
    }
    return names;
}

std::optional<std::u16string> ProfileDocument::Value(std::u16string_view section,
                                                     std::u16string_view key) const {
    const std::size_t header = FindSection(section);
    if (header == std::string::npos) {
        return std::nullopt;
    }
    const std::size_t at = FindKey(header, key);
    if (at == std::string::npos) {
        return std::nullopt;
    }
    return KeyValue(lines_[at].text, KeyEquals(lines_[at].text));
}

void ProfileDocument::EnsureLastLineEnded() {
    if (!lines_.empty() && lines_.back().end.empty()) {
        lines_.back().end = Encode(newline_);
    }
}

void ProfileDocument::SetValue(std::u16string_view section, std::u16string_view key,
                               std::u16string_view value) {
    const std::u16string keyLine = std::u16string(TrimBlanks(key)) + u"=" + std::u16string(value);
    const std::size_t header = FindSection(section);
    if (header == std::string::npos) {
        EnsureLastLineEnded();
        if (!lines_.empty() && !TrimBlanks(lines_.back().text).empty()) {
            lines_.push_back(MakeLine(u""));  // a blank line between sections
        }
        lines_.push_back(MakeLine(u"[" + std::u16string(TrimBlanks(section)) + u"]"));
        lines_.push_back(MakeLine(keyLine));
        return;
    }
    const std::size_t at = FindKey(header, key);
    if (at != std::string::npos) {
        // Keep the line's own spelling of the name and the spacing around the equals sign.
        Line& line = lines_[at];
        std::size_t valueStart = KeyEquals(line.text) + 1;
        while (valueStart < line.text.size() && IsBlank(line.text[valueStart])) {
            ++valueStart;
        }
        const std::string end = line.end;
        line = MakeLine(line.text.substr(0, valueStart) + std::u16string(value));
        line.end = end;
        return;
    }
    // A new key goes after the section's last non-blank line.
    std::size_t insertAt = SectionEnd(header);
    while (insertAt > header + 1 && TrimBlanks(lines_[insertAt - 1].text).empty()) {
        --insertAt;
    }
    if (insertAt == lines_.size()) {
        EnsureLastLineEnded();
    } else if (lines_[insertAt - 1].end.empty()) {
        lines_[insertAt - 1].end = Encode(newline_);
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), MakeLine(keyLine));
}

void ProfileDocument::DeleteKey(std::u16string_view section, std::u16string_view key) {
    bool inSection = false;
    for (std::size_t i = 0; i < lines_.size();) {
        if (const auto name = SectionHeader(lines_[i].text)) {
            inSection = SameName(*name, section);
            ++i;
            continue;
        }
        const std::size_t equals = KeyEquals(lines_[i].text);
        if (inSection && equals != std::u16string::npos && SameName(KeyName(lines_[i].text, equals), key)) {
            lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
}

void ProfileDocument::DeleteSection(std::u16string_view section) {
    for (std::size_t header = FindSection(section); header != std::string::npos;
         header = FindSection(section)) {
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(header),
                     lines_.begin() + static_cast<std::ptrdiff_t>(SectionEnd(header)));
    }
}

}  // namespace vantor
