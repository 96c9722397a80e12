#pragma once
// Random bytes from the system's generator (getrandom), for values that must not be guessed.
#include <cstddef>
#include <cstdint>
#include <span>
#include "tarquel_export.h"

namespace vantor {

// Where unguessable bytes come from; tests hand in their own.
class SecureRandom {
  public:
    virtual ~SecureRandom() = default;
    // Fills `out` completely; false when the generator failed (then `out` must not be used).
    virtual bool Fill(std::span<std::uint8_t> out) = 0;
};

// The kernel's generator (getrandom without flags: blocks only until it is first seeded).
class TARQUEL_API SystemRandom : public SecureRandom {
  public:
    bool Fill(std::span<std::uint8_t> out) override;
};

}  // namespace vantor
