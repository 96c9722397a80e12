#include "lottery/prize_levels.h"

#include "language/language.h"

namespace travenor {

PrizeLevelNames LoadPrizeLevelNames() {
    static constexpr std::array<const char16_t*, kPrizeLevelCount> kKeys{u"23", u"24", u"25", u"26",
                                                                         u"27", u"28", u"29", u"30"};
    PrizeLevelNames names;
    for (int level = 0; level < kPrizeLevelCount; ++level) {
        names[level] = GetLanStr(kKeys[level]);
    }
    return names;
}

std::optional<int> FindPrizeLevel(const PrizeLevelNames& names, const tstring& name) {
    for (int level = 0; level < kPrizeLevelCount; ++level) {
        if (names[level] == name) {
            return level;
        }
    }
    return std::nullopt;
}

}  // namespace travenor
