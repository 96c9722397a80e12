// The language table: any file, any language number from the settings.
//
// Input: four bytes of language number (any int, huge and negative ones included), one byte for
// the code page, then the file.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "language/language.h"

using namespace vantor_fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input input(data, size);
    const int number = static_cast<int>(input.Word());
    ::setenv("VANTOR_CODEPAGE", CodePage(input.Byte()), 1);
    vantor::LanguageTable table;
    table.Parse(std::string(input.Rest()), number);
    for (const auto& [key, text] : table.Entries()) {
        // Keys are plain decimal numbers, and every text is found under its key.
        FUZZ_CHECK(!key.IsEmpty());
        for (char16_t c : key.GetBase()) {
            FUZZ_CHECK(c >= u'0' && c <= u'9');
        }
        FUZZ_CHECK(key.GetLength() == 1 || key.GetBase()[0] != u'0');
        FUZZ_CHECK(table.Lookup(key) == (text.IsEmpty() ? key : text));
        FUZZ_CHECK(text.GetLength() <= tstring::kFormatLimit);
    }
    return 0;
}
