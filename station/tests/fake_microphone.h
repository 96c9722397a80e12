#pragma once
// A microphone the test plays: it opens or not as told, hands over the blocks the test gives it on
// the test's thread, and returns the partly filled block the test set when it is reset.
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>
#include "voice/wave_in.h"
#include "voice/wave_recorder.h"

struct FakeMicrophoneState {
    bool can_open = true;
    travenor::WaveInDevice::BlockSink sink;  // set while the microphone is open
    travenor::WaveInDevice::StopNotice stopped;
    std::vector<std::uint8_t> partial;  // handed over by the reset
    int opened = 0;
    int resets = 0;

    bool IsOpen() const { return static_cast<bool>(sink); }
    // One block of `count` samples of one value.
    void Deliver(std::size_t count, std::uint8_t value) {
        const std::vector<std::uint8_t> block(count, value);
        sink(block.data(), block.size());
    }
    // The microphone is pulled out: it says so once and stays open until it is reset.
    void StopByItself() {
        if (stopped) {
            std::exchange(stopped, nullptr)();
        }
    }
};

class FakeMicrophone : public travenor::WaveInDevice {
  public:
    explicit FakeMicrophone(FakeMicrophoneState& state) : state_(state) {}
    ~FakeMicrophone() override { Reset(); }
    FakeMicrophone(const FakeMicrophone&) = delete;
    FakeMicrophone& operator=(const FakeMicrophone&) = delete;
    FakeMicrophone(FakeMicrophone&&) = delete;
    FakeMicrophone& operator=(FakeMicrophone&&) = delete;

    bool Open(BlockSink sink, StopNotice stopped) override {
        if (!state_.can_open) {
            return false;
        }
        ++state_.opened;
        state_.sink = std::move(sink);
        state_.stopped = std::move(stopped);
        return true;
    }
    void Reset() override {
        if (!state_.sink) {
            return;
        }
        ++state_.resets;
        if (!state_.partial.empty()) {
            state_.sink(state_.partial.data(), state_.partial.size());
            state_.partial.clear();
        }
        state_.sink = nullptr;
        state_.stopped = nullptr;
    }

  private:
    FakeMicrophoneState& state_;
};

inline travenor::CWaveRecorder::MicrophoneFactory FakeMicrophones(FakeMicrophoneState& state) {
    return [&state] { return std::make_unique<FakeMicrophone>(state); };
}
