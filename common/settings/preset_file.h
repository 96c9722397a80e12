#pragma once
// "SetInfo.ini": the lottery's preset winners, one line per reserved picture, "<file name>=<level
// name>" in section [CheatInfo]. The management dialog writes the file, the lottery reads it.
#include <vector>
#include "settings/settings_table.h"
#include "tarquel_export.h"
#include "text/tstring.h"

namespace vantor::settings {

struct PresetEntry {
    tstring file;   // bare picture file name, as "9-5-7.jpg"
    tstring level;  // prize level name, as the language table reads it
};

// Whether a file name can be a key of the preset file and read back as itself: not empty, no
// blank at either end (the reader trims them), no "=" (it ends the key), no ";" or "[" first (a
// comment, a section), no line break or zero character, and every character representable in the
// file's code page.
TARQUEL_API bool PresetFileCanHold(const tstring& file);

// The entries of the preset section in file order; none when the file does not exist (and no
// message, unlike an INI file that must exist). A key given twice reads the first one's value.
TARQUEL_API std::vector<PresetEntry> ReadPresetEntries(const tstring& path = kPresetFile);

// Replaces the file with the section header followed by the entries in order, the same text as
// deleting it, writing "[CheatInfo]" and adding the entries one by one through the profile writer.
// The new text is written beside the file and renamed over it: at every instant either the old or
// the new complete file is on disk. False (the old file untouched) when anything fails.
TARQUEL_API bool WritePresetEntries(const std::vector<PresetEntry>& entries,
                                    const tstring& path = kPresetFile);

}  // namespace vantor::settings
