#pragma once
// The library's own text conversions at its boundary: paths and texts cross the interface as
// UTF-16, the file system takes bytes.
#include <string>
#include <string_view>

namespace zorvane {

// A path given to the library as the file system's bytes: backslashes (the host's separators)
// become slashes and the text UTF-8. A name that is not UTF-8 reaches the library with each of its
// stray bytes as the lone surrogate U+DC00 + byte (the host's file names keep their bytes so) and
// gets that byte back; any other lone surrogate becomes U+FFFD.
std::string NativePathFromWide(std::u16string_view path);

}  // namespace zorvane
