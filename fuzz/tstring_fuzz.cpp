// tstring: Format with any directives and arguments, Spilt with any separators, and the editing
// and extraction around them.
//
// Input: one byte picks the operation; Format takes a format up to a zero byte (each byte one
// unit, so directives are easy to reach, a byte 0xFF followed by two more giving any unit) and
// then arguments of nine bytes each (kind, value); Spilt takes separators up to a zero byte, a
// skip-empty flag and the text as UTF-16 units.
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "text/tstring.h"

using namespace vantor_fuzz;

namespace {

std::u16string Units(std::string_view bytes) {
    std::u16string units;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte == 0xFF && i + 2 < bytes.size()) {
            units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i + 1]) << 8 |
                                                  static_cast<unsigned char>(bytes[i + 2])));
            i += 2;
        } else {
            units.push_back(byte);
        }
    }
    return units;
}

std::u16string WideUnits(std::string_view bytes) {
    std::u16string units(bytes.size() / 2, u'\0');
    std::memcpy(units.data(), bytes.data(), units.size() * 2);
    return units;
}

void CheckFormat(Input& input) {
    const std::u16string format = Units(input.Bytes(256, 0));
    std::vector<std::u16string> texts;  // storage for text arguments
    texts.reserve(8);
    std::vector<FormatArg> args;
    while (input.Left() >= 9 && args.size() < 8) {
        const std::uint8_t kind = input.Byte();
        std::uint64_t raw = 0;
        for (int i = 0; i < 8; ++i) {
            raw = raw << 8 | input.Byte();
        }
        switch (kind % 5) {
            case 0:
                args.emplace_back(static_cast<long long>(raw));
                break;
            case 1:
                args.emplace_back(static_cast<int>(raw));
                break;
            case 2:
                args.emplace_back(static_cast<unsigned long long>(raw));
                break;
            case 3: {
                double value = 0;
                std::memcpy(&value, &raw, sizeof value);
                args.emplace_back(value);
                break;
            }
            default:
                texts.push_back(std::u16string(raw % 700, static_cast<char16_t>(u'a' + kind % 26)));
                args.emplace_back(texts.back());
                break;
        }
    }
    tstring text;
    text.FormatList(format.c_str(), args.data(), args.size());
    FUZZ_CHECK(text.GetLength() <= tstring::kFormatLimit);
    // Text without directives comes back as it stands (up to the limit).
    if (format.find(u'%') == std::u16string::npos &&
        format.size() < static_cast<std::size_t>(tstring::kFormatLimit)) {
        FUZZ_CHECK(text.GetBase() == format);
    }
}

void CheckSpilt(Input& input) {
    const std::u16string separators = Units(input.Bytes(8, 0));
    const bool skipEmpty = input.Byte() & 1;
    const tstring text(WideUnits(input.Rest()));
    std::vector<tstring> tokens;
    try {
        tokens = text.Spilt(separators, skipEmpty);
    } catch (const TokenizeError&) {
        FUZZ_CHECK(text.IsEmpty() || separators.empty());
        return;
    }
    FUZZ_CHECK(!text.IsEmpty() && !separators.empty());
    std::size_t separatorCount = 0;
    for (char16_t c : text.GetBase()) {
        separatorCount += separators.find(c) != std::u16string::npos ? 1 : 0;
    }
    std::size_t length = 0;
    for (const tstring& token : tokens) {
        FUZZ_CHECK(token.GetBase().find_first_of(separators) == std::u16string::npos);
        FUZZ_CHECK(!skipEmpty || !token.IsEmpty());
        length += token.GetBase().size();
    }
    // The tokens are the text without its separators, in order; without skipping, one more
    // token than separators.
    FUZZ_CHECK(length + separatorCount == text.GetBase().size());
    if (!skipEmpty) {
        FUZZ_CHECK(tokens.size() == separatorCount + 1);
    }
}

void CheckEditing(Input& input) {
    const std::u16string from = Units(input.Bytes(4, 0));
    const std::u16string to = Units(input.Bytes(8, 0));
    const int position = static_cast<int>(static_cast<std::int8_t>(input.Byte()));
    tstring text(WideUnits(input.Rest()));
    tstring all = text;
    all.ReplaceAll(from, to);  // ends, whatever `to` holds: inserted text is never searched again
    if (!from.empty() && to.empty()) {
        FUZZ_CHECK(all.GetBase().size() <= text.GetBase().size());
    }
    tstring once = text;
    once.Replace(from, to, position);
    tstring trimmed = text;
    trimmed.Trim(u' ').MakeUpper().MakeLower();
    try {
        const tstring mid = text.Mid(position, position * 3);
        FUZZ_CHECK(mid.GetLength() <= text.GetLength());
        text.Right(position);
        text.Left(position);
    } catch (const std::out_of_range&) {
    }
    text.Find(from.empty() ? u'x' : from.front());
    text.Find(tstring(from), position);
    text.ReFind(u' ');
    if (const auto narrow = text.ToMultiByte()) {
        FUZZ_CHECK(std::strlen(narrow.get()) <= text.GetBase().size() * 4);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input input(data, size);
    switch (input.Byte() % 3) {
        case 0:
            CheckFormat(input);
            break;
        case 1:
            CheckSpilt(input);
            break;
        default:
            CheckEditing(input);
            break;
    }
    return 0;
}
