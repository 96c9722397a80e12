#include "lottery/random_source.h"

#include <ctime>

namespace travenor {

int Rand15::Next() {
    state_ = state_ * 214013u + 2531011u;
    return static_cast<int>((state_ >> 16) & 0x7FFFu);
}

Rand15 ClockSeededRand15() {
    return Rand15(static_cast<std::uint32_t>(std::time(nullptr)));
}

int IndexBelow(int value, int n) {
    const int index = static_cast<int>(value * (1.0 / kRandomRange) * n);
    return index >= n ? n - 1 : index;
}

}  // namespace travenor
