#pragma once
// The eight prize levels, named by the language table (keys "23" to "30"; level 0 is the top
// prize). The names are the entries of the level lists, the folder names of the winners' copies
// and the values of the preset-winner lines.
#include <array>
#include <optional>
#include "text/tstring.h"

namespace travenor {

inline constexpr int kPrizeLevelCount = 8;
using PrizeLevelNames = std::array<tstring, kPrizeLevelCount>;

// The names in the language in force.
PrizeLevelNames LoadPrizeLevelNames();

// The first level whose name equals `name` exactly; nothing when none does.
std::optional<int> FindPrizeLevel(const PrizeLevelNames& names, const tstring& name);

}  // namespace travenor
