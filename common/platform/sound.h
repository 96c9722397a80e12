#pragma once
// Short wave files played asynchronously through GStreamer (fdsrc ! wavparse ! audioconvert !
// audioresample ! sink). A new sound stops the one before; a missing file, an unreadable one, one
// that is no regular file or is larger than kMaxSoundFileBytes, or a machine without a sound device
// is silence, never an error or a wait. Play and Stop may be called from any thread; the player's
// own bus thread ends each sound and stops with the player.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include "tarquel_export.h"
#include "text/tstring.h"

namespace vantor {

// The largest sound file played: hours of the station's voice messages.
inline constexpr std::uint64_t kMaxSoundFileBytes = std::uint64_t{1} << 30;

class SoundPlayer {
  public:
    // What happened to a sound, told to the observer on the bus thread or the caller's thread.
    enum class Event { Started, Finished, Replaced, Stopped, Failed };
    using Observer = std::function<void(Event, const std::string& native_path)>;

    // `sink` is a GStreamer element description, "autoaudiosink" by default; tests use
    // "fakesink sync=true".
    explicit SoundPlayer(std::string sink = "autoaudiosink");
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;
    SoundPlayer(SoundPlayer&&) = delete;
    SoundPlayer& operator=(SoundPlayer&&) = delete;

    // Starts the file (a logic path) and returns at once; false when nothing plays.
    bool Play(const tstring& path);
    bool PlayNative(const std::string& native_path);
    void Stop();
    bool IsPlaying() const;

    void SetObserver(Observer observer);

  private:
    struct Playback;
    void BusLoop();
    void EndCurrent(Event why);
    void Tell(Event event, const std::string& native_path);

    std::string sink_;
    bool started_;              // GStreamer runs; without it nothing plays
    mutable std::mutex mutex_;  // guards current_, observer_ and quit_
    std::condition_variable changed_;
    std::unique_ptr<Playback> current_;
    Observer observer_;
    bool quit_ = false;
    std::thread bus_thread_;
};

// The process's player (autoaudiosink), for code that is not handed one.
SoundPlayer& DefaultSoundPlayer();

// Plays a logic path on the default player when the file exists.
TARQUEL_API void PlaySoundAsync(const tstring& path);

}  // namespace vantor
