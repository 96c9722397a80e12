#pragma once
// The units of the video library's interface: whole seconds and attenuations in hundredths of a
// decibel, and the clock text of a duration.
#include <cstdint>
#include <optional>
#include <string>

namespace zorvane {

inline constexpr std::int64_t kNanosecondsPerSecond = 1'000'000'000;
inline constexpr std::int32_t kSilentVolume = -10000;  // hundredths of a decibel
inline constexpr std::int32_t kFullVolume = 0;

// Truncated toward zero; values past the 32-bit range saturate.
std::int32_t SecondsFromNanoseconds(std::int64_t nanoseconds);
std::int64_t NanosecondsFromSeconds(std::int32_t seconds);

// -10000 and below is silence (0); nullopt for an attenuation outside -10000 .. 0, which the
// player refuses.
std::optional<double> LinearFromAttenuation(std::int32_t hundredths_dB);
// Rounded to the nearest hundredth of a decibel; silence and anything quieter give -10000.
std::int32_t AttenuationFromLinear(double linear);

// "hh:mm:ss"; "00:00:00" for 0 or less; the hours are not limited to two digits.
std::u16string ClockText(std::int32_t seconds);

}  // namespace zorvane
