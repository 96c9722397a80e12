#pragma once
// Text made safe for the places it goes: HTML, JSON strings and the file name of a download.
#include <string>
#include <string_view>

namespace vantor::gallery {

// & < > " ' as character references; bytes that are not valid UTF-8 become U+FFFD, so a page
// never carries a broken character.
std::string HtmlEscape(std::string_view text);

// The text as a JSON string literal with its quotes.
std::string JsonString(std::string_view text);

// A Content-Disposition value: `disposition` ("inline" or "attachment") with an ASCII file name
// for old clients and the full UTF-8 name as filename*. `fallback` must be plain ASCII.
std::string ContentDisposition(std::string_view disposition, std::string_view utf8_name,
                               std::string_view fallback);

// A file name from free text (the event's name): path separators, control characters and the
// characters file systems refuse become blanks, runs of blanks one, at most 80 bytes of whole
// characters.
std::string FileNamePart(std::string_view utf8_text);

}  // namespace vantor::gallery
