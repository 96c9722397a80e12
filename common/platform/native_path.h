#pragma once
// Paths inside the logic are text with backslashes, as "Storage\2024-3-5\WithTemplate";
// they become native paths (slashes, UTF-8) only here. An absolute native path such as
// "/home/ann/x.jpg" enters the logic as "\home\ann\x.jpg" and still counts as absolute.
#include <string>
#include "tarquel_export.h"
#include "text/tstring.h"

namespace vantor {

TARQUEL_API std::string ToNativePath(const tstring& path);      // backslashes to slashes, UTF-8 (bytes kept)
TARQUEL_API tstring FromNativePath(const std::string& native);  // slashes to backslashes

// The file name of a path: the text after its last backslash (or slash).
TARQUEL_API tstring BareFileName(const tstring& path);

// Absolute: starts with a backslash or slash, or has a drive colon.
TARQUEL_API bool IsAbsolutePath(const tstring& path);

// The folder of the running program file, with a trailing backslash.
tstring ProgramFolder();

// Moves the working folder to the program's folder when that folder is an installation folder
// (it holds "Bin") the user may write, or to ~/Vantor, prepared from it, when it is a read-only
// one (the installed package); returns whether it moved. Called once when Tarquel loads.
bool AnchorWorkingFolderToInstallation();

}  // namespace vantor
