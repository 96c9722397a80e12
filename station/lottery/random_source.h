#pragma once
// Where the lottery's chance comes from: 15-bit values 0..32767, as the classic C library rand()
// gives them. The station uses the classic generator seeded with the clock; tests script values.
#include <cstdint>

namespace travenor {

inline constexpr int kRandomRange = 32768;

class RandomSource {
  public:
    virtual ~RandomSource() = default;
    virtual int Next() = 0;  // 0..32767
};

// The classic linear congruential rand() (multiplier 214013, increment 2531011, bits 16..30 of
// the state), with a state of its own.
class Rand15 : public RandomSource {
  public:
    explicit Rand15(std::uint32_t seed) : state_(seed) {}
    int Next() override;

  private:
    std::uint32_t state_;
};

// Rand15 seeded with the calendar time in seconds.
Rand15 ClockSeededRand15();

// The truncation of value / 32768 * n, kept below n: an index 0..n-1 for n > 0.
int IndexBelow(int value, int n);

}  // namespace travenor
