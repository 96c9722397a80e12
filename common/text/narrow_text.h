#pragma once
// Narrow text ("the system's ANSI code page") through iconv. The code page is the one named by
// the environment variable VANTOR_CODEPAGE (for example GBK for files from a Chinese Windows
// installation), else the locale's character set, else UTF-8 when the locale names none
// (the C locale's ASCII counts as none).
//
// Text files are judged by their own bytes instead (TextFileCodePage): the files shipped with the
// programs are UTF-8, while a guest list or settings file written on a Chinese Windows machine is
// GBK, and both must read right in one process.
#include <cstddef>
#include <string>
#include <string_view>
#include "tarquel_export.h"

namespace vantor {

// The iconv name of the code page in force.
std::string NarrowCodePage();

// The code page of narrow text files that are not UTF-8: VANTOR_CODEPAGE when set, else the
// locale's character set when that is a legacy one (not UTF-8), else GBK, the code page of the
// Chinese Windows installations such files come from.
std::string LegacyCodePage();

// Whether the bytes are UTF-8 throughout (no invalid, overlong or cut-off sequence).
bool IsValidUtf8(std::string_view bytes);

// The code page of a narrow text file, by its content: UTF-8 when it starts with the UTF-8
// byte-order mark or is valid UTF-8, otherwise LegacyCodePage().
TARQUEL_API std::string TextFileCodePage(std::string_view bytes);

// The bytes without a leading UTF-8 byte-order mark.
std::string_view WithoutUtf8Mark(std::string_view bytes);

// Narrow to UTF-16. Bytes that are not valid in the code page become U+FFFD.
std::u16string NarrowToWide(std::string_view bytes);
std::u16string NarrowToWide(std::string_view bytes, const std::string& codePage);

// The length of `bytes` without a multi-byte character cut off at its end: a buffer filled to a
// fixed size may end inside a character, whose first bytes then belong to the next read.
std::size_t CompleteCharactersLength(std::string_view bytes, const std::string& codePage);

// UTF-16 to narrow. Characters without an exact equivalent become '?' (the default character,
// no best-fit); *lossy tells whether that happened.
std::string WideToNarrow(std::u16string_view text, bool* lossy = nullptr);
std::string WideToNarrow(std::u16string_view text, const std::string& codePage, bool* lossy = nullptr);

// UTF-8 conversions (file names on this platform are UTF-8 whatever the code page).
TARQUEL_API std::string WideToUtf8(std::u16string_view text);
TARQUEL_API std::u16string Utf8ToWide(std::string_view text);

// File names are bytes on this platform, not always UTF-8 (a Chinese name in GBK bytes, from an
// archive made on Windows). These keep every byte: a byte outside valid UTF-8 becomes the lone
// surrogate U+DC00 + byte and turns back into the same byte, so a listed name opens as listed.
TARQUEL_API std::u16string FileNameToWide(std::string_view bytes);
std::string WideToFileName(std::u16string_view text);

}  // namespace vantor
