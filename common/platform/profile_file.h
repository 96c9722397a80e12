#pragma once
// Profile (INI) files with the behaviour of the Windows profile functions the settings code
// relies on. Paths are logic paths (backslash text) relative to the working folder.
//
// - Section and key names are compared without regard to ASCII case, surrounding blanks ignored.
// - Values are returned without surrounding blanks, and without one pair of surrounding quotes.
// - Files are narrow text read in their own encoding (TextFileCodePage of narrow_text.h: UTF-8
//   when valid, else the legacy code page such as GBK); a UTF-8 or UTF-16LE byte-order mark is
//   honoured on reading (and kept on writing). New lines are written in the file's encoding.
// - When a section appears twice, reads use the first one.
// - A missing or unreadable file reads as empty: the default is returned.
// - Writes keep every other line of the file exactly as it was (comments, blank lines, line
//   ends) and replace the file atomically: a temporary file beside it is renamed over it. A write
//   first removes the temporary files of this file that earlier writes, killed half-way, left
//   behind (those older than a minute: a younger one may be another process's write in progress).
#include <sys/types.h>

#include <cstdint>
#include <string_view>

#include "tarquel_export.h"
#include "text/tstring.h"

namespace vantor {

// With a section and a key: copies the value (or `defaultValue` when the key is missing) into
// buffer, cut to size-1 units and terminated; returns the number of units copied.
// With a section and no key: the section's key names; with neither: all section names. Names are
// each terminated and the list ends with a second terminator; the return value is the number of
// units copied without the final terminator, size-2 when the list did not fit.
std::uint32_t GetPrivateProfileStringW(const char16_t* section, const char16_t* key,
                                       const char16_t* defaultValue, char16_t* buffer, std::uint32_t size,
                                       const char16_t* path);

// The leading decimal integer of the value (an optional sign, then digits), 0 when the value does
// not start with one; `defaultValue` when the key is missing.
unsigned int GetPrivateProfileIntW(const char16_t* section, const char16_t* key, int defaultValue,
                                   const char16_t* path);

// Writes key=value into section, creating the file, section or key as needed. A null value
// deletes the key, a null key the whole section. Returns non-zero on success.
int WritePrivateProfileStringW(const char16_t* section, const char16_t* key, const char16_t* value,
                               const char16_t* path);

// Replaces a whole profile file with the bytes (permission bits `mode`), as one write of the
// functions above: serialised with them, stale temporary files removed first.
TARQUEL_API bool ReplaceProfileFile(const char16_t* path, std::string_view bytes, mode_t mode);

}  // namespace vantor
