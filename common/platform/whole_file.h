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

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>
#include "tarquel_export.h"

namespace vantor {

// The most ReadWholeFile reads unless it is told a smaller bound.
inline constexpr std::uint64_t kWholeFileLimit = std::uint64_t{1} << 30;

// A regular file (links followed) of at most a given size, open for reading. Anything else under
// the name, a FIFO or a device named like a picture or a sound, is refused without waiting: the
// name is looked at first, so that no device is ever opened, and the file is opened without
// blocking and looked at again through its descriptor, so that a name swapped in between counts
// for nothing. Reading from the descriptor then blocks as usual.
class TARQUEL_API ReadOnlyFile {
  public:
    ReadOnlyFile(const std::string& native_path, std::uint64_t max_bytes);
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
    ReadOnlyFile(ReadOnlyFile&&) = delete;
    ReadOnlyFile& operator=(ReadOnlyFile&&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    // The descriptor, -1 when the file was refused or could not be opened.
    int Fd() const { return fd_; }
    // The size when it was opened.
    std::uint64_t Size() const { return size_; }

  private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

// The whole content of a regular file (ReadOnlyFile) of at most `max_bytes`; nothing when it
// cannot be opened or read, is no regular file, or is or grows larger than that while it is read.
TARQUEL_API std::optional<std::string> ReadWholeFile(const std::string& native_path,
                                                     std::uint64_t max_bytes = kWholeFileLimit);

// Replaces the file (or creates it) with the bytes and the permission bits `mode`.
TARQUEL_API bool ReplaceWholeFile(const std::string& native_path, std::string_view bytes, mode_t mode);

// Adds the bytes at the end of the file (created when missing) in one write and syncs it, so
// that readers see a record either whole or not at all; false when anything fails.
bool AppendSynced(const std::string& native_path, std::string_view bytes);

// Creates the file with the bytes, with the permissions a new file gets; false, leaving
// everything as it was, when a file of that name exists already or anything fails.
TARQUEL_API bool CreateWholeFile(const std::string& native_path, std::string_view bytes);

// The permission bits a newly created file gets: 0666 less the process's file-creation mask.
TARQUEL_API mode_t NewFileMode();

// The temporary name used for a target, with "XXXXXX" where the unique part goes.
std::string TemporaryNameFor(const std::string& native_path);

// When the file name (without folder) is a temporary name of this scheme: the target's name with
// its full stops turned into hyphens ("9-5-7-jpg" for "9-5-7.jpg"); nothing otherwise.
TARQUEL_API std::optional<std::string> TemporaryTargetStem(const std::string& file_name);

// Renames `from` to `to` only when no file is named `to`, in one step; false, changing nothing,
// otherwise.
TARQUEL_API bool RenameNoReplace(const std::string& from, const std::string& to);

// Syncs a folder's entries (names created, renamed or removed in it) to disk.
TARQUEL_API bool SyncFolder(const std::string& native_folder);

// The entries of a folder, listed before any of them is renamed or removed (as the clean-ups of
// unfinished writes do); none, or those read so far, when it cannot be listed.
TARQUEL_API std::vector<std::filesystem::path> FolderEntries(const std::filesystem::path& folder);

// A file written in full beside its target under a temporary name and synced to disk, but not
// yet in place: several of them can be readied first and then put in place one after the other,
// so the last rename decides whether a set of files was saved. The temporary file is removed
// again when the object goes away without Commit.
class TARQUEL_API StagedFile {
  public:
    StagedFile(std::string target, std::string_view bytes, mode_t mode);
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;
    StagedFile(StagedFile&&) = delete;
    StagedFile& operator=(StagedFile&&) = delete;

    // Every byte is written and synced.
    bool Ready() const { return ready_; }
    // Puts the file in place under the target's name when that name is free, in one step; false,
    // changing nothing, when a file of that name exists or the file was not ready. The folder's
    // entries are not synced (SyncFolder).
    bool CommitNew();
    const std::string& Target() const { return target_; }
    const std::string& TemporaryPath() const { return path_; }

  private:
    std::string target_;
    std::string path_;
    bool ready_ = false;
    bool owned_ = false;  // the temporary file exists under path_ and is ours to remove
};

}  // namespace vantor
