// The sound service over GStreamer with a fake sink: a sound plays to its end, a new one stops the
// one before, a missing file or a sink that cannot open a device is silence.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>
#include "platform/native_path.h"
#include "platform/sound.h"
#include "test_folder.h"
#include "hostile_files.h"

using vantor::SoundPlayer;
using Event = SoundPlayer::Event;

namespace {

// A mono 16-bit wave file of `duration_ms` of a quiet tone at 8 kHz.
std::string Wave(int duration_ms) {
    const std::uint32_t rate = 8000;
    const std::uint32_t samples = rate * static_cast<std::uint32_t>(duration_ms) / 1000;
    std::string bytes;
    auto put32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    auto put16 = [&](std::uint16_t v) {
        bytes.push_back(static_cast<char>(v & 0xFF));
        bytes.push_back(static_cast<char>(v >> 8));
    };
    bytes += "RIFF";
    put32(36 + samples * 2);
    bytes += "WAVEfmt ";
    put32(16);
    put16(1);  // PCM
    put16(1);  // mono
    put32(rate);
    put32(rate * 2);
    put16(2);
    put16(16);
    bytes += "data";
    put32(samples * 2);
    for (std::uint32_t i = 0; i < samples; ++i) {
        put16(static_cast<std::uint16_t>((i % 16 < 8) ? 1000 : -1000));
    }
    return bytes;
}

class EventLog {
  public:
    SoundPlayer::Observer Observer() {
        return [this](Event event, const std::string& path) {
            std::lock_guard guard(mutex_);
            events_.emplace_back(event, path);
            changed_.notify_all();
        };
    }
    // Waits until the event arrives for the path; false after the time-out.
    bool WaitFor(Event event, const std::string& path,
                 std::chrono::seconds timeout = std::chrono::seconds(20)) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] { return Has(event, path); });
    }
    std::vector<std::pair<Event, std::string>> Events() {
        std::lock_guard guard(mutex_);
        return events_;
    }

  private:
    bool Has(Event event, const std::string& path) const {
        for (const auto& e : events_) {
            if (e.first == event && e.second == path)
                return true;
        }
        return false;
    }
    std::mutex mutex_;  // guards events_
    std::condition_variable changed_;
    std::vector<std::pair<Event, std::string>> events_;
};

}  // namespace

TEST(PlatformSound, ASoundPlaysToItsEnd) {
    vantor_test::TestFolder folder;
    const std::string path = folder.Write("Sound/cap.wav", Wave(200)).string();
    EventLog log;
    SoundPlayer player("fakesink sync=true");
    player.SetObserver(log.Observer());
    EXPECT_TRUE(player.Play(vantor::FromNativePath(path)));  // a logic path
    EXPECT_TRUE(log.WaitFor(Event::Started, path));
    EXPECT_TRUE(log.WaitFor(Event::Finished, path));
    EXPECT_FALSE(player.IsPlaying());
}

TEST(PlatformSound, ANewSoundStopsThePreviousOne) {
    vantor_test::TestFolder folder;
    const std::string longer = folder.Write("long.wav", Wave(30000)).string();
    const std::string shorter = folder.Write("short.wav", Wave(100)).string();
    EventLog log;
    SoundPlayer player("fakesink sync=true");
    player.SetObserver(log.Observer());
    ASSERT_TRUE(player.PlayNative(longer));
    ASSERT_TRUE(player.PlayNative(shorter));
    EXPECT_TRUE(log.WaitFor(Event::Finished, shorter));
    const auto events = log.Events();
    const std::vector<std::pair<Event, std::string>> expected = {{Event::Started, longer},
                                                                 {Event::Replaced, longer},
                                                                 {Event::Started, shorter},
                                                                 {Event::Finished, shorter}};
    EXPECT_EQ(events, expected);
}

TEST(PlatformSound, MissingFilesAndMissingDevicesAreSilent) {
    vantor_test::TestFolder folder;
    EventLog log;
    {
        SoundPlayer player("fakesink sync=true");
        player.SetObserver(log.Observer());
        EXPECT_FALSE(player.PlayNative((folder.path() / "none.wav").string()));
        EXPECT_FALSE(player.IsPlaying());
        const std::string broken = folder.Write("broken.wav", "RIFF and nothing else").string();
        player.PlayNative(broken);
        EXPECT_TRUE(log.WaitFor(Event::Failed, broken));
        EXPECT_FALSE(player.IsPlaying());
    }
    // A sink whose device cannot be opened fails at once or on its bus; either way nothing hangs.
    const std::string wave = folder.Write("a.wav", Wave(100)).string();
    SoundPlayer no_device("filesink location=/proc/no-such-device/out");
    no_device.SetObserver(log.Observer());
    no_device.PlayNative(wave);
    EXPECT_TRUE(log.WaitFor(Event::Failed, wave));
    EXPECT_FALSE(no_device.IsPlaying());
    SoundPlayer no_plugin("no-such-sink");
    no_plugin.SetObserver(log.Observer());
    EXPECT_FALSE(no_plugin.PlayNative(wave));
    EXPECT_EQ(log.Events().back(), std::make_pair(Event::Failed, wave));
}

TEST(PlatformSound, StoppingAndDestroyingWhilePlaying) {
    vantor_test::TestFolder folder;
    const std::string path = folder.Write("long.wav", Wave(30000)).string();
    EventLog log;
    {
        SoundPlayer player("fakesink sync=true");
        player.SetObserver(log.Observer());
        ASSERT_TRUE(player.PlayNative(path));
        player.Stop();
        EXPECT_FALSE(player.IsPlaying());
        ASSERT_TRUE(player.PlayNative(path));
    }  // destroyed while playing: stops and joins its bus thread
    const std::vector<std::pair<Event, std::string>> expected = {
        {Event::Started, path}, {Event::Stopped, path}, {Event::Started, path}, {Event::Stopped, path}};
    EXPECT_EQ(log.Events(), expected);
}

TEST(PlatformSound, OnlyRegularFilesOfASoundsSizePlay) {
    vantor_test::TestFolder folder;
    EventLog log;
    SoundPlayer player("fakesink sync=true");
    player.SetObserver(log.Observer());
    const std::filesystem::path fifo = folder.path() / "fifo.wav";
    ASSERT_TRUE(vantor_test::MakeFifo(fifo));
    std::filesystem::create_symlink("/dev/zero", folder.path() / "zero.wav");
    EXPECT_FALSE(player.PlayNative(fifo.string()));
    EXPECT_FALSE(player.PlayNative((folder.path() / "zero.wav").string()));
    // A voice file grown past any recording (sparse: it takes no disk).
    const std::string huge = folder.Write("huge.wav", Wave(100)).string();
    ASSERT_EQ(::truncate(huge.c_str(), static_cast<off_t>(vantor::kMaxSoundFileBytes) + 1), 0);
    EXPECT_FALSE(player.PlayNative(huge));
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_TRUE(log.Events().empty());
}
