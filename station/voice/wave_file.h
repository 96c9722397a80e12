#pragma once
// The voice message file: RIFF WAVE, PCM, 1 channel, 40000 samples and bytes per second, block
// alignment 1, 8 bits, a format chunk of 18 bytes with no extra bytes, then the samples. The
// header is 46 bytes; the RIFF size field is 38 + N for N samples.
#include <cstdint>
#include <string>
#include <vector>
#include "text/tstring.h"

namespace travenor {

inline constexpr std::size_t kWaveHeaderBytes = 46;

// The whole file for the samples.
std::string WaveFileBytes(const std::vector<std::uint8_t>& samples);

// Writes the file whole or not at all, replacing one of the same name; false when it could not be
// written (the old file, if any, is then unchanged).
bool WriteWaveFile(const tstring& path, const std::vector<std::uint8_t>& samples);

}  // namespace travenor
