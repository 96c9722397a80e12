// The voice message: the file layout to the byte, the recorder's takes (short, discarded, written
// after the recorder is gone, one while the other is written), the failures, and the real
// GStreamer microphone on a test source.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <filesystem>
#include <fstream>
#include <iterator>
#include "fake_microphone.h"
#include "platform/message_box.h"
#include "platform/native_path.h"
#include "file_size_limit.h"
#include "test_folder.h"
#include "ui_wait.h"
#include "voice/wave_file.h"
#include "voice/wave_recorder.h"

namespace {

namespace fs = std::filesystem;
using travenor::CWaveRecorder;

std::uint32_t Le(const std::string& bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(WaveFile, TheHeaderIsFixedToTheByte) {
    const std::vector<std::uint8_t> samples(10000, 0x80);
    const std::string bytes = travenor::WaveFileBytes(samples);
    ASSERT_EQ(bytes.size(), 46u + 10000u);
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(Le(bytes, 4, 4), 38u + 10000u);
    EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(Le(bytes, 16, 4), 18u);
    EXPECT_EQ(Le(bytes, 20, 2), 1u);
    EXPECT_EQ(Le(bytes, 22, 2), 1u);
    EXPECT_EQ(Le(bytes, 24, 4), 40000u);
    EXPECT_EQ(Le(bytes, 28, 4), 40000u);
    EXPECT_EQ(Le(bytes, 32, 2), 1u);
    EXPECT_EQ(Le(bytes, 34, 2), 8u);
    EXPECT_EQ(Le(bytes, 36, 2), 0u);
    EXPECT_EQ(bytes.substr(38, 4), "data");
    EXPECT_EQ(Le(bytes, 42, 4), 10000u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[46]), 0x80);
}

class VoiceRecorder : public ::testing::Test {
  protected:
    // Runs the posted calls of the microphone's blocks and closings.
    static void Deliver() { QCoreApplication::processEvents(); }
    fs::path File(const char* name) const { return folder_.path() / name; }
    tstring Target(const char* name) const { return vantor::FromNativePath(File(name).string()); }

    vantor_test::TestFolder folder_;
    vantor::RecordingMessageBoxes boxes_;
    vantor::ScopedMessageBoxService service_{boxes_};
    FakeMicrophoneState microphone_;
};

TEST_F(VoiceRecorder, AShortMessageGetsItsPartlyFilledBlock) {
    CWaveRecorder recorder(FakeMicrophones(microphone_));
    ASSERT_EQ(recorder.Start(), CWaveRecorder::StartResult::Started);
    microphone_.Deliver(10000, 0x90);
    microphone_.partial.assign(300, 0x70);
    recorder.Stop(Target("14-3-9.wav"));
    EXPECT_FALSE(fs::exists(File("14-3-9.wav"))) << "written after the save returns";
    Deliver();
    const std::string bytes = ReadAll(File("14-3-9.wav"));
    ASSERT_EQ(bytes.size(), 46u + 10300u);
    EXPECT_EQ(Le(bytes, 42, 4), 10300u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[46]), 0x90);
    EXPECT_EQ(static_cast<unsigned char>(bytes.back()), 0x70);
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(VoiceRecorder, ADiscardWritesNothingAndTheNextRecordingStartsEmpty) {
    CWaveRecorder recorder(FakeMicrophones(microphone_));
    ASSERT_EQ(recorder.Start(), CWaveRecorder::StartResult::Started);
    EXPECT_EQ(recorder.Start(), CWaveRecorder::StartResult::AlreadyRecording);
    microphone_.Deliver(10000, 1);
    Deliver();
    EXPECT_EQ(recorder.RecordedBytes(), 10000u);
    recorder.Stop(tstring());
    Deliver();
    EXPECT_TRUE(fs::is_empty(folder_.path()));

    ASSERT_EQ(recorder.Start(), CWaveRecorder::StartResult::Started);
    EXPECT_EQ(recorder.RecordedBytes(), 0u);
    microphone_.Deliver(500, 2);
    recorder.Stop(Target("a.wav"));
    Deliver();
    EXPECT_EQ(ReadAll(File("a.wav")).size(), 46u + 500u);
}

TEST_F(VoiceRecorder, ANewMessageWhileThePreviousIsWrittenKeepsBoth) {
    CWaveRecorder recorder(FakeMicrophones(microphone_));
    recorder.Start();
    microphone_.Deliver(10000, 1);
    recorder.Stop(Target("first.wav"));
    recorder.Start();  // before the first one's closing came through
    microphone_.Deliver(2000, 2);
    recorder.Stop(Target("second.wav"));
    Deliver();
    EXPECT_EQ(ReadAll(File("first.wav")).size(), 46u + 10000u);
    EXPECT_EQ(ReadAll(File("second.wav")).size(), 46u + 2000u);
}

TEST_F(VoiceRecorder, AStoppedMessageIsWrittenEvenWhenTheRecorderGoesFirst) {
    {
        CWaveRecorder recorder(FakeMicrophones(microphone_));
        recorder.Start();
        microphone_.Deliver(4000, 1);
        recorder.Stop(Target("saved.wav"));
    }
    EXPECT_EQ(ReadAll(File("saved.wav")).size(), 46u + 4000u);
    // A recording still running when the window goes is reset and dropped.
    {
        CWaveRecorder recorder(FakeMicrophones(microphone_));
        recorder.Start();
        microphone_.Deliver(4000, 1);
    }
    EXPECT_FALSE(microphone_.IsOpen());
    Deliver();
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_.path()), fs::directory_iterator()), 1);
}

TEST_F(VoiceRecorder, NoMicrophoneIsToldAndCountsAsRecordingUntilTheStop) {
    microphone_.can_open = false;
    CWaveRecorder recorder(FakeMicrophones(microphone_));
    EXPECT_EQ(recorder.Start(), CWaveRecorder::StartResult::NoDevice);
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, u"音频无法打开");
    EXPECT_EQ(recorder.Start(), CWaveRecorder::StartResult::AlreadyRecording);
    recorder.Stop(Target("none.wav"));
    Deliver();
    EXPECT_FALSE(fs::exists(File("none.wav")));
    EXPECT_FALSE(recorder.IsRecording());
}

TEST_F(VoiceRecorder, RunningOutOfMemoryKeepsWhatWasRecorded) {
    CWaveRecorder recorder(FakeMicrophones(microphone_), 15000);
    recorder.Start();
    microphone_.Deliver(10000, 1);
    microphone_.Deliver(10000, 2);
    Deliver();
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, u"erro memory");
    EXPECT_FALSE(microphone_.IsOpen()) << "the microphone stops";
    EXPECT_TRUE(recorder.IsRecording());
    recorder.Stop(Target("kept.wav"));
    Deliver();
    EXPECT_EQ(ReadAll(File("kept.wav")).size(), 46u + 10000u);
}

TEST_F(VoiceRecorder, AFullDiskIsToldAndLeavesNoFile) {
    CWaveRecorder recorder(FakeMicrophones(microphone_));
    std::vector<std::pair<tstring, bool>> written;
    recorder.SetWrittenObserver([&](const tstring& path, bool ok) { written.emplace_back(path, ok); });
    recorder.Start();
    microphone_.Deliver(10000, 1);
    recorder.Stop(Target("full.wav"));
    {
        const vantor_test::FileSizeLimit full_disk(1000);
        Deliver();
    }
    ASSERT_EQ(written.size(), 1u);
    EXPECT_FALSE(written[0].second);
    EXPECT_TRUE(fs::is_empty(folder_.path())) << "no truncated voice file, no temporary file";
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].caption, u"tips");
}

// The real microphone pipeline on GStreamer's test source.
class Microphone : public VoiceRecorder {
  protected:
    void TearDown() override { qunsetenv("VANTOR_MICROPHONE"); }
};

TEST_F(Microphone, RecordsUnsignedMonoSamplesFromTheSource) {
    qputenv("VANTOR_MICROPHONE", "audiotestsrc is-live=true wave=sine freq=440 volume=0.5");
    CWaveRecorder recorder;
    ASSERT_EQ(recorder.Start(), CWaveRecorder::StartResult::Started) << "the test source did not open";
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return recorder.RecordedBytes() >= 20000; }, 10000));
    recorder.Stop(Target("tone.wav"));
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return fs::exists(File("tone.wav")); }));
    const std::string bytes = ReadAll(File("tone.wav"));
    ASSERT_GE(bytes.size(), 46u + 20000u);
    EXPECT_EQ(Le(bytes, 42, 4), bytes.size() - 46);
    // A sine of half the full scale around the unsigned middle 128.
    int low = 255;
    int high = 0;
    for (std::size_t i = 46; i < bytes.size(); ++i) {
        low = std::min(low, static_cast<int>(static_cast<unsigned char>(bytes[i])));
        high = std::max(high, static_cast<int>(static_cast<unsigned char>(bytes[i])));
    }
    EXPECT_NEAR(low, 128 - 64, 6);
    EXPECT_NEAR(high, 128 + 64, 6);
}

TEST_F(Microphone, AMicrophoneThatStopsMidMessageIsNoticedAndKeepsWhatItGave) {
    // The source ends after 40 buffers of 1024 samples (at the recording's rate, which it can
    // give directly), as a microphone pulled out mid-message.
    qputenv("VANTOR_MICROPHONE", "audiotestsrc num-buffers=40");
    CWaveRecorder recorder;
    std::vector<std::uint8_t> kept;
    recorder.SetMicrophoneStoppedObserver([&] { kept = recorder.StopAndTakeSamples(); });
    ASSERT_EQ(recorder.Start(), CWaveRecorder::StartResult::Started);
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return !recorder.IsRecording(); }, 10000))
        << "the end of the microphone's stream went unnoticed";
    EXPECT_EQ(kept.size(), 40u * 1024u) << "every sample up to the end, the partly filled last block too";
}

TEST_F(Microphone, AMissingDeviceCannotBeOpened) {
    qputenv("VANTOR_MICROPHONE", "filesrc location=/nonexistent/microphone ! wavparse");
    CWaveRecorder recorder;
    EXPECT_EQ(recorder.Start(), CWaveRecorder::StartResult::NoDevice);
    EXPECT_EQ(boxes_.Boxes().size(), 1u);
}

}  // namespace
