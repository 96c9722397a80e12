#pragma once
// The desktop's notion of a hidden file that keeps its name: the folder's ".hidden" file lists
// the names (one a line) that file managers and file dialogs leave out.
#include <string>

namespace _FILE {

// Adds or removes the file's name in the ".hidden" list of its folder; false when the list
// cannot be written. An emptied list is removed.
bool SetHiddenInFolder(const std::string& nativePath, bool hidden);
bool IsHiddenInFolder(const std::string& nativePath);

}  // namespace _FILE
