#include "voice/wave_file.h"

#include "platform/native_path.h"
#include "platform/whole_file.h"
#include "voice/wave_in.h"

namespace travenor {
namespace {

void Put(std::string& bytes, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

}  // namespace

std::string WaveFileBytes(const std::vector<std::uint8_t>& samples) {
    const auto n = static_cast<std::uint32_t>(samples.size());
    std::string bytes;
    bytes.reserve(kWaveHeaderBytes + samples.size());
    bytes += "RIFF";
    Put(bytes, 38 + n, 4);
    bytes += "WAVEfmt ";
    Put(bytes, 18, 4);           // format chunk size
    Put(bytes, 1, 2);            // PCM
    Put(bytes, 1, 2);            // channels
    Put(bytes, kWaveInRate, 4);  // samples per second
    Put(bytes, kWaveInRate, 4);  // bytes per second
    Put(bytes, 1, 2);            // block alignment
    Put(bytes, 8, 2);            // bits per sample
    Put(bytes, 0, 2);            // extra format bytes
    bytes += "data";
    Put(bytes, n, 4);
    bytes.append(reinterpret_cast<const char*>(samples.data()), samples.size());
    return bytes;
}

bool WriteWaveFile(const tstring& path, const std::vector<std::uint8_t>& samples) {
    return vantor::ReplaceWholeFile(vantor::ToNativePath(path), WaveFileBytes(samples),
                                    vantor::NewFileMode());
}

}  // namespace travenor
