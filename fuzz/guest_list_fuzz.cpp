// The guest list: any "Bin\people.txt" in any code page, then a search.
//
// Input: one byte for the code page, then the file.
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "seat/guest_list.h"

using namespace vantor_fuzz;

namespace {

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

void CheckTrimmed(const tstring& field) {
    const std::u16string& text = field.GetBase();
    FUZZ_CHECK(text.empty() || (!IsBlank(text.front()) && !IsBlank(text.back())));
    FUZZ_CHECK(text.find(u'#') == std::u16string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input input(data, size);
    const std::string codePage = CodePage(input.Byte());
    const vantor::GuestList list = vantor::ParseGuestList(input.Rest(), codePage);
    for (const vantor::GuestRecord& guest : list.guests) {
        CheckTrimmed(guest.keyword);
        CheckTrimmed(guest.name);
        CheckTrimmed(guest.table);
        for (char16_t c : guest.keyword.GetBase()) {
            FUZZ_CHECK(c < u'A' || c > u'Z');  // keywords are kept in lower case
        }
    }
    if (list.guests.empty()) {
        return 0;
    }
    // Searching for a part of a keyword finds that guest, unless 15 earlier ones match first.
    const tstring& keyword = list.guests.back().keyword;
    const tstring part = keyword.Mid(keyword.GetLength() / 3, 2);
    const std::vector<int> found = vantor::FindGuests(list.guests, part);
    FUZZ_CHECK(found.size() <= static_cast<std::size_t>(vantor::kMostMatches));
    const int last = static_cast<int>(list.guests.size()) - 1;
    FUZZ_CHECK(found.size() == static_cast<std::size_t>(vantor::kMostMatches) ||
               (!found.empty() && found.back() == last));
    for (std::size_t i = 1; i < found.size(); ++i) {
        FUZZ_CHECK(found[i - 1] < found[i]);
    }
    return 0;
}
