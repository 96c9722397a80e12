#pragma once
// The lottery's tickets: every file below today's picture folder whose name contains ".jpg" or
// ".JPG" (other spellings such as ".Jpg" or ".jpeg" do not count), in the order the folders list
// them, sub-folders included (except those whose name starts with a dot, and none twice, so that
// a link back to a parent folder cannot make the scan endless).
#include <vector>
#include "text/tstring.h"

namespace travenor {

// Logic paths "<folder>\<name>"; none when the folder is missing or cannot be listed.
std::vector<tstring> ScanCandidates(const tstring& folder);

}  // namespace travenor
