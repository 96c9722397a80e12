// Narrow text: the code page conversions, the cut of a fixed-size read, UTF-8 and the byte-keeping
// file-name form.
//
// Input: one byte for the code page, then bytes read both as narrow text and as UTF-16 units.
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "text/narrow_text.h"

using namespace vantor_fuzz;

namespace {

bool HasLoneSurrogate(std::u16string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            return true;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input input(data, size);
    const std::string codePage = CodePage(input.Byte());
    const std::string_view bytes = input.Rest();

    // Narrow bytes: a cut at a complete character keeps every character of the text before it.
    const std::u16string wide = vantor::NarrowToWide(bytes, codePage);
    const std::size_t complete = vantor::CompleteCharactersLength(bytes, codePage);
    FUZZ_CHECK(complete <= bytes.size());
    const std::u16string head = vantor::NarrowToWide(bytes.substr(0, complete), codePage);
    FUZZ_CHECK(head.size() <= wide.size() && wide.compare(0, head.size(), head) == 0);
    bool lossy = false;
    const std::string narrow = vantor::WideToNarrow(wide, codePage, &lossy);
    if (!lossy && codePage == "UTF-8") {
        FUZZ_CHECK(vantor::NarrowToWide(narrow, codePage) == wide);
    }

    // File names keep every byte, whatever it is.
    FUZZ_CHECK(vantor::WideToFileName(vantor::FileNameToWide(bytes)) == bytes);

    // UTF-16 units: UTF-8 carries every text without lone surrogates both ways.
    std::u16string units(bytes.size() / 2, u'\0');
    std::memcpy(units.data(), bytes.data(), units.size() * 2);
    const std::string utf8 = vantor::WideToUtf8(units);
    if (!HasLoneSurrogate(units)) {
        FUZZ_CHECK(vantor::Utf8ToWide(utf8) == units);
    }
    FUZZ_CHECK(vantor::Utf8ToWide(vantor::WideToUtf8(vantor::Utf8ToWide(bytes))) ==
               vantor::Utf8ToWide(bytes));
    vantor::WideToNarrow(units, codePage, &lossy);
    vantor::FileNameToWide(vantor::WideToFileName(units));
    return 0;
}
