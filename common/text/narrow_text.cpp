// Narrow text conversion through iconv. The code page is looked up on every call so that a
// change of VANTOR_CODEPAGE takes effect at once; the locale's character set is looked up once.
#include "text/narrow_text.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <bit>
#include <cctype>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace vantor {
namespace {

// The code point of the UTF-8 sequence that starts at `at` and its length in bytes; nothing for
// a byte that starts no well-formed sequence (a stray continuation byte, a cut or overlong
// sequence, a surrogate, a value past U+10FFFF).
struct Utf8Sequence {
    char32_t code = 0;
    std::size_t length = 0;
};
std::optional<Utf8Sequence> ReadUtf8Sequence(std::string_view bytes, std::size_t at) {
    const unsigned char lead = static_cast<unsigned char>(bytes[at]);
    if (lead < 0x80) {
        return Utf8Sequence{lead, 1};
    }
    std::size_t extra = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1, c = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, c = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, c = lead & 0x07, minimum = 0x10000;
    } else {
        return std::nullopt;
    }
    if (at + extra >= bytes.size()) {
        return std::nullopt;
    }
    for (std::size_t k = 1; k <= extra; ++k) {
        const unsigned char next = static_cast<unsigned char>(bytes[at + k]);
        if ((next & 0xC0) != 0x80) {
            return std::nullopt;
        }
        c = (c << 6) | (next & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        return std::nullopt;
    }
    return Utf8Sequence{c, extra + 1};
}

constexpr const char* kUtf16Name = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";
constexpr char16_t kReplacementChar = 0xFFFD;

// Owns one iconv conversion descriptor.
class IconvHandle {
  public:
    IconvHandle(const std::string& to, const std::string& from)
        : handle_(iconv_open(to.c_str(), from.c_str())) {}
    ~IconvHandle() {
        if (valid()) {
            iconv_close(handle_);
        }
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;
    IconvHandle(IconvHandle&&) = delete;
    IconvHandle& operator=(IconvHandle&&) = delete;

    bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return handle_; }

  private:
    iconv_t handle_;
};

bool IsAsciiName(const std::string& name) {
    return name == "ANSI_X3.4-1968" || name == "ASCII" || name == "US-ASCII" || name.empty();
}

// The character set of the environment's locale (LC_ALL / LC_CTYPE / LANG), without touching the
// process-wide locale; empty when the environment names none or an unknown one.
std::string EnvironmentCodeSet() {
    locale_t locale = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
    if (locale == static_cast<locale_t>(nullptr)) {
        return {};
    }
    std::string name = nl_langinfo_l(CODESET, locale);
    freelocale(locale);
    return IsAsciiName(name) ? std::string() : name;
}

bool IsUtf8Name(const std::string& name) {
    std::string upper;
    for (char c : name) {
        if (c != '-' && c != '_') {
            upper.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
        }
    }
    return upper == "UTF8";
}

const std::string& CachedEnvironmentCodeSet() {
    static const std::string codeSet = EnvironmentCodeSet();
    return codeSet;
}

// Converts with one descriptor; at every sequence the target cannot take (or the source holds
// invalid), `onInvalid` appends the replacement and returns how many input bytes to skip.
template <typename OnInvalid>
std::string Convert(iconv_t cd, std::string_view input, OnInvalid onInvalid) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);  // a cached descriptor starts from its initial state
    std::string output;
    output.reserve(input.size() * 2 + 16);
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    char buffer[4096];
    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        const size_t rc = iconv(cd, &in, &inLeft, &out, &outLeft);
        output.append(buffer, static_cast<size_t>(out - buffer));
        if (rc != static_cast<size_t>(-1)) {
            continue;
        }
        if (errno == E2BIG) {
            continue;
        }
        // EILSEQ or EINVAL (a truncated sequence at the end): replace and step over it.
        const size_t skip = std::min(inLeft, onInvalid(output, std::string_view(in, inLeft)));
        in += skip;
        inLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    // Flush any shift state.
    char* out = buffer;
    size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &out, &outLeft);
    output.append(buffer, static_cast<size_t>(out - buffer));
    return output;
}

// The conversion descriptor from one code page to another, opened once per thread (iconv
// descriptors carry state, so threads never share one); null when iconv knows neither name.
iconv_t CachedDescriptor(const std::string& to, const std::string& from) {
    thread_local std::map<std::pair<std::string, std::string>, std::unique_ptr<IconvHandle>> cache;
    auto& slot = cache[{to, from}];
    if (!slot) {
        slot = std::make_unique<IconvHandle>(to, from);
    }
    return slot->valid() ? slot->get() : nullptr;
}

// Code pages in which every byte below 0x80 is the ASCII character, so ASCII text needs no iconv.
bool IsAsciiCompatible(const std::string& codePage) {
    static const char* const kPrefixes[] = {"UTF-8",    "UTF8",     "GB",   "CP936", "CP125",
                                            "ISO-8859", "ISO8859",  "BIG5", "EUC",   "ANSI_X3.4",
                                            "ASCII",    "US-ASCII", "KOI8"};
    std::string upper;
    for (char c : codePage) {
        upper.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    }
    for (const char* prefix : kPrefixes) {
        if (upper.rfind(prefix, 0) == 0) {
            return true;
        }
    }
    return false;
}

template <typename Text>
bool IsAscii(const Text& text) {
    for (auto c : text) {
        if (static_cast<std::uint32_t>(static_cast<std::make_unsigned_t<decltype(c)>>(c)) >= 0x80) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string NarrowCodePage() {
    if (const char* chosen = std::getenv("VANTOR_CODEPAGE"); chosen != nullptr && *chosen != '\0') {
        return chosen;
    }
    const std::string& fromLocale = CachedEnvironmentCodeSet();
    return fromLocale.empty() ? std::string("UTF-8") : fromLocale;
}

std::string LegacyCodePage() {
    if (const char* chosen = std::getenv("VANTOR_CODEPAGE"); chosen != nullptr && *chosen != '\0') {
        return chosen;
    }
    const std::string& fromLocale = CachedEnvironmentCodeSet();
    if (fromLocale.empty() || IsUtf8Name(fromLocale)) {
        return "GBK";
    }
    return fromLocale;
}

bool IsValidUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const std::optional<Utf8Sequence> sequence = ReadUtf8Sequence(bytes, i);
        if (!sequence) {
            return false;
        }
        i += sequence->length;
    }
    return true;
}

std::string_view WithoutUtf8Mark(std::string_view bytes) {
    constexpr std::string_view kMark = "\xEF\xBB\xBF";
    if (bytes.substr(0, kMark.size()) == kMark) {
        bytes.remove_prefix(kMark.size());
    }
    return bytes;
}

std::string TextFileCodePage(std::string_view bytes) {
    if (WithoutUtf8Mark(bytes).size() != bytes.size() || IsValidUtf8(bytes)) {
        return "UTF-8";
    }
    return LegacyCodePage();
}

std::u16string NarrowToWide(std::string_view bytes) {
    return NarrowToWide(bytes, NarrowCodePage());
}

std::u16string NarrowToWide(std::string_view bytes, const std::string& codePage) {
    if (IsAsciiCompatible(codePage) && IsAscii(bytes)) {
        return std::u16string(bytes.begin(), bytes.end());
    }
    iconv_t cd = CachedDescriptor(kUtf16Name, codePage);
    if (cd == nullptr) {
        return Utf8ToWide(bytes);  // an unknown code page reads as UTF-8
    }
    const std::string raw = Convert(cd, bytes, [](std::string& out, std::string_view) {
        out.append(reinterpret_cast<const char*>(&kReplacementChar), sizeof kReplacementChar);
        return size_t{1};
    });
    std::u16string result(raw.size() / 2, u'\0');
    std::memcpy(result.data(), raw.data(), result.size() * 2);
    return result;
}

std::size_t CompleteCharactersLength(std::string_view bytes, const std::string& codePage) {
    if (IsAsciiCompatible(codePage) && IsAscii(bytes)) {
        return bytes.size();
    }
    iconv_t cd = CachedDescriptor(kUtf16Name, codePage);
    if (cd == nullptr) {
        return CompleteCharactersLength(bytes, "UTF-8");  // read as UTF-8, as NarrowToWide does
    }
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char buffer[4096];
    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        if (iconv(cd, &in, &inLeft, &out, &outLeft) != static_cast<size_t>(-1) || errno == E2BIG) {
            continue;
        }
        if (errno == EINVAL) {
            break;  // the bytes left start a character that the end cut off
        }
        ++in;  // an invalid byte is a character of its own (it reads as U+FFFD)
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return bytes.size() - inLeft;
}

std::string WideToNarrow(std::u16string_view text, bool* lossy) {
    return WideToNarrow(text, NarrowCodePage(), lossy);
}

std::string WideToNarrow(std::u16string_view text, const std::string& codePage, bool* lossy) {
    bool replaced = false;
    std::string result;
    if (IsAsciiCompatible(codePage) && IsAscii(text)) {
        result.assign(text.begin(), text.end());
    } else if (iconv_t cd = CachedDescriptor(codePage, kUtf16Name)) {
        const std::string_view input(reinterpret_cast<const char*>(text.data()), text.size() * 2);
        result = Convert(cd, input, [&replaced](std::string& out, std::string_view rest) {
            replaced = true;
            out.push_back('?');
            // Step over a whole surrogate pair when one starts here, else one code unit.
            char16_t units[2] = {0, 0};
            std::memcpy(units, rest.data(), std::min<size_t>(4, rest.size()));
            const bool pair = rest.size() >= 4 && units[0] >= 0xD800 && units[0] <= 0xDBFF &&
                              units[1] >= 0xDC00 && units[1] <= 0xDFFF;
            return size_t{pair ? 4u : 2u};
        });
    } else {
        return WideToNarrow(text, "UTF-8", lossy);  // an unknown code page writes as UTF-8
    }
    if (lossy != nullptr) {
        *lossy = replaced;
    }
    return result;
}

namespace {

// The UTF-8 coders behind both the text and the file-name conversions. With escape_bytes, a byte
// that is not part of valid UTF-8 travels as the lone surrogate U+DC00 + byte and back.
constexpr char32_t kByteEscape = 0xDC00;

bool IsEscapedByte(char32_t c) {
    return c >= kByteEscape + 0x80 && c <= kByteEscape + 0xFF;
}

std::string EncodeUtf8(std::u16string_view text, bool escape_bytes) {
    std::string out;
    out.reserve(text.size() * 3);
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (escape_bytes && IsEscapedByte(c)) {
            out.push_back(static_cast<char>(c - kByteEscape));
            continue;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = kReplacementChar;  // a lone surrogate has no UTF-8 form
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::u16string DecodeUtf8(std::string_view text, bool escape_bytes) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::optional<Utf8Sequence> sequence = ReadUtf8Sequence(text, i);
        if (!sequence) {
            const unsigned char lead = static_cast<unsigned char>(text[i]);
            out.push_back(escape_bytes ? static_cast<char16_t>(kByteEscape + lead) : kReplacementChar);
            ++i;
            continue;
        }
        const char32_t c = sequence->code;
        if (c >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
        i += sequence->length;
    }
    return out;
}

}  // namespace

std::string WideToUtf8(std::u16string_view text) {
    return EncodeUtf8(text, false);
}

std::u16string Utf8ToWide(std::string_view text) {
    return DecodeUtf8(text, false);
}

std::string WideToFileName(std::u16string_view text) {
    return EncodeUtf8(text, true);
}

std::u16string FileNameToWide(std::string_view bytes) {
    return DecodeUtf8(bytes, true);
}

}  // namespace vantor
