// A guest's voice message, from the capture window's save to the wall: the file the station
// writes is the one the wall plays for that guest's picture.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <filesystem>
#include "animation/voice_path.h"
#include "capture/sign_in.h"
#include "platform/native_path.h"
#include "test_folder.h"
#include "voice/wave_in.h"

namespace {

namespace fs = std::filesystem;

// A microphone that gives two blocks of samples while it is open.
class TwoBlockMicrophone : public travenor::WaveInDevice {
  public:
    bool Open(BlockSink sink, StopNotice) override {
        const std::vector<std::uint8_t> block(travenor::kWaveInBlockBytes, 0x90);
        sink(block.data(), block.size());
        sink(block.data(), block.size());
        return true;
    }
    void Reset() override {}
};

TEST(VoiceToWall, TheWallFindsTheMessageRecordedWithThePicture) {
    vantor_test::TestFolder folder;
    vantor_test::WorkingFolderScope scope(folder.path());
    vantor::ManualClock clock({2026, 12, 8, 14, 3, 7});
    GuestCounter guests;
    SignIn sign_in(
        clock, guests, SignInStore(), [](const tstring&) {},
        [] { return std::make_unique<TwoBlockMicrophone>(); });
    sign_in.SetPreviewRect(QRect(0, 0, 320, 240));
    QImage preview(320, 240, QImage::Format_RGB32);
    preview.fill(Qt::darkCyan);

    clock.AdvanceSeconds(1);
    ASSERT_EQ(sign_in.TakePhoto(false, {}, [&] { return preview; }), SignIn::PhotoResult::Taken);
    ASSERT_EQ(sign_in.Record(), SignIn::RecordResult::Started);
    QCoreApplication::processEvents();
    clock.AdvanceSeconds(1);
    ASSERT_EQ(sign_in.Save([&] { return preview; }), SignIn::SaveResult::Saved);
    QCoreApplication::processEvents();  // the recorder writes the file once the microphone closed

    const fs::path voice = folder.path() / "Storage" / "2026-12-8" / "Audio" / "14-3-9.wav";
    ASSERT_TRUE(fs::exists(voice)) << "the voice file has the pictures' stem";
    EXPECT_EQ(fs::file_size(voice), 46u + 2 * travenor::kWaveInBlockBytes);
    const tstring wall_finds = halvix::VoicePath(u"Storage\\2026-12-8\\WithTemplate", u"14-3-9.jpg");
    EXPECT_EQ(fs::path(vantor::ToNativePath(wall_finds)), fs::path("Storage/2026-12-8/Audio/14-3-9.wav"));
    EXPECT_TRUE(fs::exists(folder.path() / vantor::ToNativePath(wall_finds)));
}

}  // namespace
