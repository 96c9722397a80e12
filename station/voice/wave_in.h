#pragma once
// The microphone as the voice recorder uses it: unsigned 8-bit mono samples at 40000 per second,
// handed over in blocks of up to 10000 bytes (a quarter of a second).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace travenor {

inline constexpr int kWaveInRate = 40000;
inline constexpr std::size_t kWaveInBlockBytes = 10000;

class WaveInDevice {
  public:
    // Receives each block, on the device's own thread.
    using BlockSink = std::function<void(const std::uint8_t* bytes, std::size_t count)>;
    // Told once, on the device's own thread, when the microphone stops by itself while open (its
    // stream ended or failed: pulled out, switched off). Reset still hands over what came before.
    using StopNotice = std::function<void()>;

    virtual ~WaveInDevice() = default;
    // Starts capturing into the sink; false when the microphone cannot be opened.
    virtual bool Open(BlockSink sink, StopNotice stopped) = 0;
    // Stops capturing. When it returns, every sample captured so far, the partly filled last
    // block included, has been handed to the sink, and the sink is not called again.
    virtual void Reset() = 0;
};

// The GStreamer element description of the microphone: the environment variable
// VANTOR_MICROPHONE when set (for example "audiotestsrc is-live=true"), else "autoaudiosrc",
// the desktop's default input.
std::string MicrophoneSource();

// The microphone of this machine (or the one VANTOR_MICROPHONE names); never null.
std::unique_ptr<WaveInDevice> MakeMicrophone();

}  // namespace travenor
