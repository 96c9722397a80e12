#pragma once
// Files written whole or not at all. The bytes go to a temporary file beside the target, every
// write and the sync to disk are checked, and only then is the temporary file renamed into place;
// any failure removes the temporary file and leaves the target as it was. A full disk, a
// read-only folder or a kill at any instant therefore never leaves a truncated file under the
// final name.
//
// The temporary name is hidden and ends in ".part" ("9-5-7.jpg" is written as
// ".9-5-7-jpg.XXXXXX.part"), so that no folder listing that picks files by their extension, the
// photo wall's and the lottery's included, mistakes it for a picture.
#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

namespace vantor {

// The whole content of a file; nothing when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::string& native_path);

// Replaces the file (or creates it) with the bytes and the permission bits `mode`.
bool ReplaceWholeFile(const std::string& native_path, std::string_view bytes, mode_t mode);

// Creates the file with the bytes, with the permissions a new file gets; false, leaving
// everything as it was, when a file of that name exists already or anything fails.
bool CreateWholeFile(const std::string& native_path, std::string_view bytes);

// The permission bits a newly created file gets: 0666 less the process's file-creation mask.
mode_t NewFileMode();

// The temporary name used for a target, with "XXXXXX" where the unique part goes.
std::string TemporaryNameFor(const std::string& native_path);

}  // namespace vantor
