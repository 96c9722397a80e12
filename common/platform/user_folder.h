#pragma once
// The installed layout: the programs, libraries and read-only content live in a folder the user
// may not write (/opt/vantor), and each user works in a writable folder of his own (~/Vantor) that
// looks like a build's installation folder: copies of the settings, links to the shipped content.
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace vantor {

// The folder name in the user's home that becomes the working folder of an installed program.
inline constexpr char kUserFolderName[] = "Vantor";

// Files the programs or the operator write, copied from the shipped defaults only when missing.
inline const std::vector<std::string>& UserWritableFiles() {
    static const std::vector<std::string> files{"Bin/config.ini", "Bin/people.txt", "SetInfo.ini"};
    return files;
}

// What PrepareUserFolder did; `failures` names each entry it could not make and why.
struct UserFolderReport {
    std::vector<std::string> made;
    std::vector<std::string> failures;
};

// Makes `user` an installation folder over the read-only `shipped` one: a real "Bin" with copies
// of the writable files, every other file of shipped "Bin" and every other top-level entry
// (content folders, programs) as a symbolic link into `shipped`, and the empty folders "Storage"
// and "lottery". Whatever already exists in `user` (a file, a folder, a link, even a broken one)
// is left exactly as it is, so a second start changes nothing and the operator's settings survive.
UserFolderReport PrepareUserFolder(const std::filesystem::path& shipped, const std::filesystem::path& user);

// The working folder for a program whose file lies in `programFolder`: that folder itself when
// it is an installation folder (it holds "Bin") the user may write; `home`/Vantor when it is a
// read-only one; empty when it is no installation folder (test programs keep their folder).
std::filesystem::path WorkingFolderFor(const std::filesystem::path& programFolder,
                                       const std::filesystem::path& home,
                                       const std::function<bool(const std::filesystem::path&)>& writable);

}  // namespace vantor
