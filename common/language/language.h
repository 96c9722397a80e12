#pragma once
// The language table: every translatable text of the system is looked up by a decimal key
// ("1", "39", ...). The process-wide table is loaded once when Tarquel loads and is read-only
// afterwards.
#include <cstddef>
#include <map>
#include <string>
#include "tarquel_export.h"
#include "text/tstring.h"

// The text of the key in the loaded language; the key itself when it has no (or an empty) text;
// empty for a null key.
TARQUEL_API tstring GetLanStr(const char16_t* key);

namespace vantor {

// One language column of a language file: key to text.
//
// File format: each entry line is a decimal key followed, for each language in turn, by that
// language's text enclosed in a pair of backticks, e.g.  12 `保存` `Save`.  Lines that do not
// start with a digit (after leading blanks, then tabs) are ignored, as are numbered lines without
// any backtick. "\n" in a text stands for a line break.
class LanguageTable {
  public:
    // Replaces the content with language `languageNumber` (1 = first column; lower counts as 1) of
    // the narrow-text file at `path` (a logic path). An unreadable file is reported with a message
    // box and leaves the table empty (returns false). A repeated key keeps the first text and is
    // reported with its line number.
    bool Load(const tstring& path, int languageNumber);
    // The same from the bytes of such a file.
    void Parse(std::string bytes, int languageNumber);

    // Same rules as GetLanStr.
    tstring Lookup(const char16_t* key) const;

    std::size_t Size() const { return entries_.size(); }
    const std::map<tstring, tstring>& Entries() const { return entries_; }
    void Clear() { entries_.clear(); }

  private:
    std::map<tstring, tstring> entries_;
};

// The language number of an installation's settings file: [version] "language ", default 1,
// values below 1 count as 1, values past INT_MAX as INT_MAX. A number beyond the columns of a line
// takes the line's last one (see Load).
TARQUEL_API int ConfiguredLanguageNumber(const tstring& configPath);

// The table behind GetLanStr.
LanguageTable& ProcessLanguageTable();

// Loads the process table from "Bin\language.txt" with the number from "Bin\config.ini",
// relative to the working folder.
void LoadProcessLanguageTable();

}  // namespace vantor
