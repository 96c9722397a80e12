#pragma once
// CWaveRecorder: the guest's voice message. Start opens the microphone; the samples come in
// blocks on the microphone's thread and are handed to the window's thread by posted calls, where
// they are added to the recording. Stop ends the recording: with a path the message is written
// there as a wave file once the microphone has returned its last block, without a path it is
// thrown away. There is no length limit of its own. A microphone that stops by itself (pulled
// out, its stream ended or failed) is closed and the owner told; what it gave stays recorded.
//
// Each recording is a take of its own, so a new recording may start while the previous one is
// still being written; a take that was stopped with a path is written even when the recorder goes
// away first.
#include <cstdint>
#include <functional>
#include <limits>
#include <list>
#include <memory>
#include <mutex>
#include <vector>
#include "text/tstring.h"
#include "voice/recorder_mailbox.h"
#include "voice/wave_in.h"

namespace travenor {

class CWaveRecorder {
  public:
    using MicrophoneFactory = std::function<std::unique_ptr<WaveInDevice>()>;
    enum class StartResult {
        Started,
        AlreadyRecording,
        // The microphone could not be opened ("音频无法打开" was shown). The recorder still counts
        // as recording, without a device, until the next stop, which writes nothing.
        NoDevice,
    };
    static constexpr std::size_t kUnlimited = std::numeric_limits<std::size_t>::max();

    // `max_bytes` is where memory for a recording runs out ("erro memory"); unlimited by default.
    explicit CWaveRecorder(MicrophoneFactory open_microphone = &MakeMicrophone,
                           std::size_t max_bytes = kUnlimited);
    ~CWaveRecorder();
    CWaveRecorder(const CWaveRecorder&) = delete;
    CWaveRecorder& operator=(const CWaveRecorder&) = delete;
    CWaveRecorder(CWaveRecorder&&) = delete;
    CWaveRecorder& operator=(CWaveRecorder&&) = delete;

    StartResult Start();
    // Ends the recording; an empty path throws it away. Nothing when not recording.
    void Stop(const tstring& target_path);
    // Ends the recording and hands over everything it captured, for the caller to write; empty
    // when nothing was recorded or nothing is recording.
    std::vector<std::uint8_t> StopAndTakeSamples();

    // Also true after a microphone that could not be opened, until the next stop.
    bool IsRecording() const { return current_ != nullptr; }
    // Bytes added to the current recording so far.
    std::size_t RecordedBytes() const;

    // Told on the window's thread when the microphone of the current recording stops by itself,
    // once it is closed and everything it captured has been added. The recording keeps what came
    // and counts as recording until the next stop.
    void SetMicrophoneStoppedObserver(std::function<void()> observer) { stopped_ = std::move(observer); }

    // Told on the window's thread after each attempt to write a voice file.
    void SetWrittenObserver(std::function<void(const tstring& path, bool written)> observer) {
        written_ = std::move(observer);
    }

  private:
    // Blocks handed over by the microphone and not yet added to the recording.
    struct Inbox {
        std::mutex mutex;  // guards blocks and ended (the microphone's thread adds, the window's takes)
        std::vector<std::vector<std::uint8_t>> blocks;
        bool ended = false;  // the microphone stopped by itself
    };
    struct Take {
        std::unique_ptr<WaveInDevice> device;  // null without a microphone or after running out
        std::shared_ptr<Inbox> inbox = std::make_shared<Inbox>();
        std::vector<std::uint8_t> data;
        tstring target;
    };

    // The window's thread, woken by the mailbox: adds the blocks that came and writes the files
    // of the stopped takes.
    void OnMail();
    // Adds the waiting blocks; when memory runs out the microphone stops and what was recorded
    // is kept.
    void Collect(Take& take);
    // Appends the block unless that would pass max_bytes_ or memory runs out.
    bool Append(std::vector<std::uint8_t>& data, const std::vector<std::uint8_t>& block) const;
    void Finish(Take& take);
    // True when the current take's microphone has just been found stopped by itself; it is
    // closed, everything it gave added.
    bool NoticeMicrophoneStop();

    MicrophoneFactory open_microphone_;
    std::size_t max_bytes_;
    std::unique_ptr<Take> current_;              // the recording (also while recording without a device)
    std::list<std::unique_ptr<Take>> stopping_;  // stopped, everything captured; their file still to write
    std::function<void(const tstring&, bool)> written_;
    std::function<void()> stopped_;
    RecorderMailbox mailbox_{[this] { OnMail(); }};
};

}  // namespace travenor
