#pragma once
// The running-process test of the wall launcher, over this platform's process list (/proc).
#include <string>
#include <vector>
#include "text/tstring.h"

namespace vantor {

// The executable file names (without folder) of the live processes of one user under a proc root;
// zombies are left out, they no longer run. Empty when the list cannot be read.
std::vector<std::string> RunningExecutableNames(const std::string& proc_root, unsigned owner_uid);
// The same for this user's processes in /proc.
std::vector<std::string> RunningExecutableNames();

}  // namespace vantor

// 1 when some running process of this user has an executable file name equal to exeName, both
// compared in lower case (ASCII letters); 0 when none does or the process list cannot be taken.
// Other users' programs do not count: this user's programs cannot talk to them.
int FindProcess(const char16_t* exeName);
