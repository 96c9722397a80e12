#include "text/tstring.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "text/narrow_text.h"

namespace {

// Installed once when Tarquel loads (startup/library_load.cpp); read by every conversion.
std::atomic<LossyConversionReporter> g_lossyReporter{nullptr};

constexpr char16_t kBlank = u' ';

char16_t AsciiUpper(char16_t c) {
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
}
char16_t AsciiLower(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}

std::u16string WidenAscii(const char* text) {
    std::u16string out;
    for (; *text != '\0'; ++text) {
        out.push_back(static_cast<unsigned char>(*text));
    }
    return out;
}

// One parsed printf directive: "%[flags][width][.precision][length]type".
struct Directive {
    std::string flags;
    int width = -1;
    int precision = -1;
    char16_t type = 0;
};

// The largest width or precision a directive is given. Nothing past the 499th unit is kept, and
// a field of this size already shows the same first 499 units as any larger one: padding longer
// than the limit fills them whole, a string precision at least the limit keeps them whole, and a
// double has no nonzero decimal digit past the 1074th, so a longer precision only appends zeros.
constexpr long long kFieldLimit = 2048;

long long ClampField(long long value) {
    return std::clamp(value, -kFieldLimit, kFieldLimit);
}

// Reads a decimal number or "*" (taken from the arguments) at format[i]; -1 when there is none,
// as for a "*" without an integer argument. A "*" argument keeps its sign (a negative width means
// left-justified). Every value is bounded by kFieldLimit, so that no directive costs more than
// the limit's worth of work.
int ReadCount(const char16_t* format, std::size_t& i, const FormatArg* args, std::size_t count,
              std::size_t& next, bool* fromArgument) {
    *fromArgument = false;
    if (format[i] == u'*') {
        ++i;
        if (next < count && args[next].kind() != FormatArg::Kind::Floating &&
            args[next].kind() != FormatArg::Kind::WideText) {
            *fromArgument = true;
            const FormatArg& arg = args[next++];
            if (arg.kind() == FormatArg::Kind::Unsigned) {
                return static_cast<int>(std::min<unsigned long long>(arg.AsUnsigned(), kFieldLimit));
            }
            return static_cast<int>(ClampField(arg.AsSigned()));
        }
        ++next;
        return -1;
    }
    long long value = -1;
    while (format[i] >= u'0' && format[i] <= u'9') {
        value = std::min((value < 0 ? 0 : value) * 10 + (format[i] - u'0'), kFieldLimit);
        ++i;
    }
    return static_cast<int>(value);
}

bool SkipLength(const char16_t* format, std::size_t& i) {
    static const char16_t* const kLengths[] = {u"I64", u"I32", u"ll", u"hh", u"l", u"h",
                                               u"L",   u"z",   u"j",  u"t",  u"w", u"I"};
    for (const char16_t* length : kLengths) {
        const std::size_t n = std::char_traits<char16_t>::length(length);
        if (std::char_traits<char16_t>::compare(format + i, length, n) == 0) {
            i += n;
            return true;
        }
    }
    return false;
}

std::string NarrowDirective(const Directive& d, const char* length, char type) {
    std::string directive = "%" + d.flags;
    if (d.width >= 0) {
        directive += std::to_string(d.width);
    }
    if (d.precision >= 0) {
        directive += "." + std::to_string(d.precision);
    }
    return directive + length + type;
}

// A negative int printed unsigned shows its 32 bits, as the platform's printf does with an int.
unsigned long long UnsignedValue(const FormatArg& arg) {
    const long long value = arg.AsSigned();
    if (arg.kind() == FormatArg::Kind::Signed && value < 0 && value >= INT_MIN) {
        return static_cast<std::uint32_t>(static_cast<int>(value));
    }
    return arg.AsUnsigned();
}

std::u16string FormatNumber(const Directive& d, const FormatArg& arg) {
    char buffer[10100];
    const auto kind = arg.kind();
    switch (d.type) {
        case u'd':
        case u'i':
            if (kind != FormatArg::Kind::Signed && kind != FormatArg::Kind::Unsigned) {
                return u"(?)";
            }
            std::snprintf(buffer, sizeof buffer, NarrowDirective(d, "ll", 'd').c_str(), arg.AsSigned());
            break;
        case u'u':
        case u'x':
        case u'X':
        case u'o':
            if (kind != FormatArg::Kind::Signed && kind != FormatArg::Kind::Unsigned) {
                return u"(?)";
            }
            std::snprintf(buffer, sizeof buffer, NarrowDirective(d, "ll", static_cast<char>(d.type)).c_str(),
                          UnsignedValue(arg));
            break;
        default:  // f F e E g G a A
            if (kind != FormatArg::Kind::Floating) {
                return u"(?)";
            }
            std::snprintf(buffer, sizeof buffer, NarrowDirective(d, "", static_cast<char>(d.type)).c_str(),
                          arg.AsFloating());
            break;
    }
    return WidenAscii(buffer);
}

// Pads text to the directive's width, on the left unless the "-" flag is given.
std::u16string Pad(const Directive& d, std::u16string text) {
    if (d.width > 0 && text.size() < static_cast<std::size_t>(d.width)) {
        const std::u16string fill(static_cast<std::size_t>(d.width) - text.size(), kBlank);
        text = d.flags.find('-') != std::string::npos ? text + fill : fill + text;
    }
    return text;
}

std::u16string FormatOne(const Directive& d, const FormatArg* arg) {
    if (arg == nullptr) {
        return u"(?)";
    }
    switch (d.type) {
        case u's':
        case u'S': {
            if (arg->kind() != FormatArg::Kind::WideText) {
                return u"(?)";
            }
            std::u16string text(arg->AsText());
            if (d.precision >= 0 && text.size() > static_cast<std::size_t>(d.precision)) {
                text.resize(static_cast<std::size_t>(d.precision));
            }
            return Pad(d, text);
        }
        case u'c':
        case u'C':
            if (arg->kind() != FormatArg::Kind::Signed && arg->kind() != FormatArg::Kind::Unsigned) {
                return u"(?)";
            }
            return Pad(d, std::u16string(1, static_cast<char16_t>(arg->AsUnsigned())));
        default:
            return FormatNumber(d, *arg);
    }
}

bool IsType(char16_t c) {
    return c != 0 && std::char_traits<char16_t>::find(u"diuxXocCsSfFeEgGaA", 18, c) != nullptr;
}

}  // namespace

tstring::tstring(const char16_t* text) : base_(text ? text : u"") {}

tstring::tstring(const char* narrow) {
    InitFromMultiByte(narrow);
}

tstring::~tstring() = default;

tstring& tstring::MakeUpper() {
    for (char16_t& c : base_) {
        c = AsciiUpper(c);
    }
    return *this;
}

tstring& tstring::MakeLower() {
    for (char16_t& c : base_) {
        c = AsciiLower(c);
    }
    return *this;
}

tstring& tstring::TrimLeft(char16_t c) {
    const std::size_t first = base_.find_first_not_of(c);
    base_.erase(0, first == std::u16string::npos ? base_.size() : first);
    return *this;
}

tstring& tstring::TrimRight(char16_t c) {
    const std::size_t last = base_.find_last_not_of(c);
    base_.erase(last == std::u16string::npos ? 0 : last + 1);
    return *this;
}

tstring& tstring::Trim(char16_t c) {
    TrimLeft(c);
    if (!base_.empty()) {
        TrimRight(c);
    }
    return *this;
}

void tstring::FormatList(const char16_t* format, const FormatArg* args, std::size_t count) {
    std::u16string out;
    std::size_t next = 0;
    if (format == nullptr) {
        format = u"";
    }
    for (std::size_t i = 0; format[i] != 0 && out.size() <= static_cast<std::size_t>(kFormatLimit);) {
        if (format[i] != u'%') {
            out.push_back(format[i++]);
            continue;
        }
        const std::size_t start = i++;
        if (format[i] == u'%') {
            out.push_back(u'%');
            ++i;
            continue;
        }
        Directive d;
        while (format[i] != 0 && std::char_traits<char16_t>::find(u"-+ #0", 5, format[i]) != nullptr) {
            d.flags.push_back(static_cast<char>(format[i++]));
        }
        bool fromArgument = false;
        d.width = ReadCount(format, i, args, count, next, &fromArgument);
        if (fromArgument && d.width < 0) {  // a negative "*" width means left-justified
            d.flags.push_back('-');
            d.width = -d.width;
        }
        if (format[i] == u'.') {
            ++i;
            d.precision = ReadCount(format, i, args, count, next, &fromArgument);
            if (d.precision < 0 && !fromArgument) {
                d.precision = 0;  // "." alone is a precision of 0; a negative "*" one counts as none
            }
        }
        SkipLength(format, i);
        if (!IsType(format[i])) {
            // Not a directive this formatter knows: keep the text as it stands.
            out.append(format + start, format + i);
            continue;
        }
        d.type = format[i++];
        out += FormatOne(d, next < count ? &args[next] : nullptr);
        ++next;
    }
    if (out.size() > static_cast<std::size_t>(kFormatLimit)) {
        out.resize(static_cast<std::size_t>(kFormatLimit));
        if (!out.empty() && out.back() >= 0xD800 && out.back() <= 0xDBFF) {
            out.pop_back();  // never leave half a surrogate pair at the cut
        }
    }
    base_ = std::move(out);
}

void tstring::Replace(const tstring& from, const tstring& to, int start) {
    if (from.IsEmpty() || start < 0) {
        return;
    }
    const std::size_t at = base_.find(from.base_, static_cast<std::size_t>(start));
    if (at != std::u16string::npos) {
        base_.replace(at, from.base_.size(), to.base_);
    }
}

void tstring::ReplaceAll(const tstring& from, const tstring& to) {
    if (from.IsEmpty()) {
        return;
    }
    std::size_t at = base_.find(from.base_);
    while (at != std::u16string::npos) {
        base_.replace(at, from.base_.size(), to.base_);
        at = base_.find(from.base_, at + to.base_.size());
    }
}

void tstring::Replace(char16_t* buffer, unsigned long count, char16_t newChar, char16_t oldChar) {
    if (buffer == nullptr) {
        return;
    }
    for (unsigned long i = 0; i < count; ++i) {
        if (buffer[i] == oldChar) {
            buffer[i] = newChar;
        }
    }
}

tstring tstring::Mid(int first) const {
    if (first < 0 || static_cast<std::size_t>(first) > base_.size()) {
        throw std::out_of_range("tstring::Mid: start past the end");
    }
    return tstring(base_.substr(static_cast<std::size_t>(first)));
}

tstring tstring::Mid(int first, int count) const {
    if (first < 0 || static_cast<std::size_t>(first) > base_.size()) {
        throw std::out_of_range("tstring::Mid: start past the end");
    }
    return tstring(
        base_.substr(static_cast<std::size_t>(first), count < 0 ? 0 : static_cast<std::size_t>(count)));
}

tstring tstring::Left(int count) const {
    return tstring(base_.substr(0, count < 0 ? 0 : static_cast<std::size_t>(count)));
}

tstring tstring::Right(int count) const {
    if (count < 0) {
        count = 0;
    }
    if (static_cast<std::size_t>(count) > base_.size()) {
        throw std::out_of_range("tstring::Right: count larger than the length");
    }
    return tstring(base_.substr(base_.size() - static_cast<std::size_t>(count)));
}

int tstring::Find(char16_t c) const {
    const std::size_t at = base_.find(c);
    return at == std::u16string::npos ? -1 : static_cast<int>(at);
}

int tstring::Find(const tstring& text, int start) const {
    if (start < 0) {
        start = 0;
    }
    const std::size_t at = base_.find(text.base_, static_cast<std::size_t>(start));
    return at == std::u16string::npos ? -1 : static_cast<int>(at);
}

int tstring::ReFind(char16_t c) const {
    const std::size_t at = base_.rfind(c);
    return at == std::u16string::npos ? -1 : static_cast<int>(at);
}

std::vector<tstring> tstring::Spilt(const std::u16string& separators, bool skipEmpty) const {
    if (base_.empty() || separators.empty()) {
        throw TokenizeError();
    }
    std::vector<tstring> tokens;
    std::size_t position = 0;
    for (std::size_t at = base_.find_first_of(separators); at != std::u16string::npos;
         at = base_.find_first_of(separators, position)) {
        if (at > position || !skipEmpty) {
            tokens.emplace_back(base_.substr(position, at - position));
        }
        position = at + 1;
    }
    if (position < base_.size() || !skipEmpty) {
        tokens.emplace_back(base_.substr(position));
    }
    return tokens;
}

void SetLossyConversionReporter(LossyConversionReporter reporter) {
    g_lossyReporter.store(reporter);
}

std::unique_ptr<char[]> tstring::ToMultiByte() const {
    if (base_.empty()) {
        return nullptr;
    }
    bool lossy = false;
    const std::string narrow = vantor::WideToNarrow(base_, &lossy);
    auto buffer = std::make_unique<char[]>(narrow.size() + 1);  // value-initialised: zero-filled
    std::memcpy(buffer.get(), narrow.data(), narrow.size());
    if (lossy) {
        if (const LossyConversionReporter report = g_lossyReporter.load()) {
            report();
        }
    }
    return buffer;
}

std::unique_ptr<char[]> tstring::ToMultiByte(const char16_t* text) {
    return tstring(text).ToMultiByte();
}

int tstring::EqualBuffer(const void* a, const void* b, unsigned long length) {
    if (length == 0 || a == b) {
        return 1;
    }
    if (a == nullptr || b == nullptr) {
        return 0;
    }
    return std::memcmp(a, b, length) == 0 ? 1 : 0;
}

void tstring::InitFromMultiByte(const char* narrow) {
    if (narrow == nullptr || *narrow == '\0') {
        base_.clear();
        return;
    }
    const std::u16string wide = vantor::NarrowToWide(narrow);
    Format(u"%s", wide);
}
