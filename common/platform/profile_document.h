#pragma once
// The in-memory form of one profile (INI) file behind profile_file.h: its lines as they were
// read, each with its own line end, so that an edit changes only the lines it must.
#include <optional>
#include <string>
#include <string_view>
#include <vector>
#include "tarquel_export.h"

namespace vantor {

class TARQUEL_API ProfileDocument {
  public:
    enum class Encoding { Narrow, Utf8WithMark, Utf16LeWithMark };

    // Reads the bytes of a file; narrow text is in `codePage` unless a byte-order mark says otherwise.
    static ProfileDocument Parse(std::string_view bytes, const std::string& codePage);
    // The bytes to write back; untouched lines come out byte for byte as they were read.
    std::string Serialize() const;

    // Section names in file order, each distinct name once (as first spelled).
    std::vector<std::u16string> SectionNames() const;
    // Key names of the first section of that name, in file order; none when there is no such section.
    std::optional<std::vector<std::u16string>> KeyNames(std::u16string_view section) const;
    // The trimmed, unquoted value of the first such key in the first such section.
    std::optional<std::u16string> Value(std::u16string_view section, std::u16string_view key) const;

    void SetValue(std::u16string_view section, std::u16string_view key, std::u16string_view value);
    void DeleteKey(std::u16string_view section, std::u16string_view key);
    void DeleteSection(std::u16string_view section);

  private:
    struct Line {
        std::string raw;  // the line's bytes as stored, without its line end
        std::u16string text;
        std::string end;  // "\r\n", "\n" (in the file's encoding) or empty for a last line without one
    };

    Line MakeLine(std::u16string text) const;
    std::string Encode(std::u16string_view text) const;
    // Index of the header line of the first section of that name, or npos.
    std::size_t FindSection(std::u16string_view section) const;
    // One past the last line belonging to the section whose header is at `header`.
    std::size_t SectionEnd(std::size_t header) const;
    std::size_t FindKey(std::size_t header, std::u16string_view key) const;
    void EnsureLastLineEnded();

    Encoding encoding_ = Encoding::Narrow;
    std::string codePage_;
    std::u16string newline_ = u"\n";  // the line end of new lines: the file's first one
    std::vector<Line> lines_;
    std::string tail_;  // the odd last byte of a UTF-16 file, written back after every line
};

}  // namespace vantor
