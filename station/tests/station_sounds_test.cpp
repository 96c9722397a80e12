// The sounds the station ships: "Sound\cap.wav" for the photo, "Sound\save.wav" for the save and
// "Sound\beginlot.wav" for the start of the lottery draw, made at build time into the installation
// folder. They must be real, short, audible PCM waves that the sound service plays to their end;
// the cues last under one and a half seconds, the draw's fanfare may take up to three.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <ostream>
#include <string>
#include "platform/native_path.h"
#include "platform/sound.h"

namespace {

namespace fs = std::filesystem;

std::uint32_t Le(const std::string& bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

struct Sound {
    const char* file;
    double longest_s;  // how long it may last
    const char* kind;  // what it is, for the message when it is too long
};

void PrintTo(const Sound& sound, std::ostream* out) {
    *out << '"' << sound.file << '"';
}

class ShippedSound : public ::testing::TestWithParam<Sound> {
  protected:
    fs::path File() const {
        const char* install = std::getenv("VANTOR_INSTALL_DIR");
        return fs::path(install ? install : ".") / "Sound" / GetParam().file;
    }
};

TEST_P(ShippedSound, IsAShortAudiblePcmWave) {
    std::ifstream in(File(), std::ios::binary);
    ASSERT_TRUE(in) << "missing from the installation folder: " << File();
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 44u);
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(Le(bytes, 20, 2), 1u) << "PCM";
    EXPECT_EQ(Le(bytes, 34, 2), 16u) << "bits per sample";
    const std::uint32_t rate = Le(bytes, 24, 4);
    const std::uint32_t channels = Le(bytes, 22, 2);
    ASSERT_EQ(bytes.substr(36, 4), "data");
    const std::uint32_t data = Le(bytes, 40, 4);
    ASSERT_EQ(bytes.size(), 44u + data);
    const double seconds = static_cast<double>(data) / (rate * channels * 2);
    EXPECT_GT(seconds, 0.1);
    EXPECT_LT(seconds, GetParam().longest_s) << GetParam().kind;
    int peak = 0;
    for (std::size_t at = 44; at + 1 < bytes.size(); at += 2) {
        peak = std::max(peak, std::abs(static_cast<int>(static_cast<std::int16_t>(Le(bytes, at, 2)))));
    }
    EXPECT_GT(peak, 32767 / 3) << "audible";
    EXPECT_LT(peak, 32767) << "not clipped";
}

TEST_P(ShippedSound, PlaysToItsEnd) {
    std::mutex mutex;  // guards finished
    std::condition_variable changed;
    bool finished = false;
    vantor::SoundPlayer player("fakesink sync=true");
    player.SetObserver([&](vantor::SoundPlayer::Event event, const std::string&) {
        std::lock_guard lock(mutex);
        finished = finished || event == vantor::SoundPlayer::Event::Finished;
        changed.notify_all();
    });
    ASSERT_TRUE(player.PlayNative(File().string()));
    std::unique_lock lock(mutex);
    EXPECT_TRUE(changed.wait_for(lock, std::chrono::seconds(20), [&] { return finished; }));
}

INSTANTIATE_TEST_SUITE_P(Station, ShippedSound,
                         ::testing::Values(Sound{"cap.wav", 1.5, "a cue, not a tune"},
                                           Sound{"save.wav", 1.5, "a cue, not a tune"},
                                           Sound{"beginlot.wav", 3.0, "a short fanfare, not a tune"}));

}  // namespace
