#pragma once
// The organiser's guest list, "Bin\people.txt": one guest per line, "keyword # name # table", in
// narrow text of the platform's code page. The seat search finds guests by a part of their
// keyword.
#include <optional>
#include <string>
#include <string_view>
#include <vector>
#include "text/tstring.h"

namespace vantor {

inline constexpr char16_t kGuestListPath[] = u"Bin\\people.txt";

struct GuestRecord {
    tstring keyword;  // lower case
    tstring name;
    tstring table;
};

struct GuestList {
    std::vector<GuestRecord> guests;  // in file order
    // The first piece of the line that did not have three pieces; the list ended there.
    std::optional<tstring> malformed;
};

// Reads the list from the bytes of the file in the given code page.
//  - A line is read with at most 99 bytes; the rest of a longer line is read as the next line.
//    A cut that would fall inside a multi-byte character is moved back before it, so the
//    character goes whole into the next read.
//  - The list ends at the end of the bytes, at a line that is empty after trimming blanks, or at
//    a line whose first character is neither a hexadecimal digit, nor a letter (Chinese
//    characters included), nor a code unit from 0x8140 to 0xFEFE.
//  - A line without exactly three "#"-separated pieces ends the list and is reported.
GuestList ParseGuestList(std::string_view bytes, const std::string& codePage);

// Reads the guest list file (a logic path) in the platform's code page. A file that cannot be
// opened is reported in a box captioned "信息提示" and gives an empty list; a malformed line is
// reported in a box whose text is the line's first piece, captioned "输入格式不对", and the
// guests before it are kept.
std::vector<GuestRecord> LoadGuestList(const tstring& path = kGuestListPath);

// The positions of the guests whose keyword contains the text (lower-cased), in file order, at
// most kMostMatches of them.
inline constexpr int kMostMatches = 15;
std::vector<int> FindGuests(const std::vector<GuestRecord>& guests, const tstring& text);

}  // namespace vantor
