// A sign-in's files are staged under temporary names and the composed picture's rename decides
// the save. What a killed program leaves between those steps is completed or removed at the next
// start, and nothing else in the storage is touched.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>
#include "capture/sign_in_store.h"
#include "platform/whole_file.h"
#include "test_folder.h"
#include "voice/wave_file.h"

namespace {

namespace fs = std::filesystem;

std::string JpegFile(QColor colour) {
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "JPG");
    return bytes.toStdString();
}

std::string Read(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::set<std::string> Names(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

class SignInRecovery : public ::testing::Test {
  protected:
    fs::path Day() const { return folder_.path() / "Storage" / "2026-12-8"; }
    fs::path Pictures() const { return Day() / "WithTemplate"; }
    fs::path Plain() const { return Day() / "NoTemplate"; }
    fs::path Audio() const { return Day() / "Audio"; }
    void Put(const fs::path& file, const std::string& bytes) {
        folder_.Write(fs::relative(file, folder_.path()).string(), bytes);
    }

    vantor_test::TestFolder folder_;
    vantor_test::WorkingFolderScope scope_{folder_.path()};
    const std::string picture_ = JpegFile(Qt::red);
    const std::string plain_ = JpegFile(Qt::green);
    const std::string voice_ = travenor::WaveFileBytes(std::vector<std::uint8_t>(3000, 0x80));

    void SetUp() override {
        fs::create_directories(Pictures());
        fs::create_directories(Plain());
        fs::create_directories(Audio());
    }
};

TEST_F(SignInRecovery, TemporaryNamesNameTheirTarget) {
    vantor::StagedFile staged((Plain() / "9-5-7.jpg").string(), plain_, vantor::NewFileMode());
    ASSERT_TRUE(staged.Ready());
    const std::string name = fs::path(staged.TemporaryPath()).filename().string();
    EXPECT_EQ(vantor::TemporaryTargetStem(name), "9-5-7-jpg") << name;
    for (const char* other : {"9-5-7.jpg", ".hidden", ".9-5-7-jpg.ABCDE.part", ".9-5-7-jpg.ABCDEF.tmp",
                              "..ABCDEF.part", ".9-5-7-jpg.AB-DEF.part"}) {
        EXPECT_FALSE(vantor::TemporaryTargetStem(other)) << other;
    }
    // Not in place until committed, and gone when dropped.
    EXPECT_FALSE(fs::exists(Plain() / "9-5-7.jpg"));
}

TEST_F(SignInRecovery, AStagedFileTakesOnlyAFreeName) {
    Put(Plain() / "9-5-7.jpg", plain_);
    {
        vantor::StagedFile staged((Plain() / "9-5-7.jpg").string(), picture_, vantor::NewFileMode());
        EXPECT_FALSE(staged.CommitNew());
        vantor::StagedFile other((Plain() / "9-5-8.jpg").string(), picture_, vantor::NewFileMode());
        EXPECT_TRUE(other.CommitNew());
    }
    EXPECT_EQ(Read(Plain() / "9-5-7.jpg"), plain_);
    EXPECT_EQ(Read(Plain() / "9-5-8.jpg"), picture_);
    EXPECT_EQ(Names(Plain()), (std::set<std::string>{"9-5-7.jpg", "9-5-8.jpg"}));
}

TEST_F(SignInRecovery, ASaveKilledAfterItsPictureIsCompletedAtTheNextStart) {
    Put(Pictures() / "9-5-7.jpg", picture_);
    Put(Plain() / ".9-5-7-jpg.Ab12Cd.part", plain_);
    Put(Audio() / ".9-5-7-wav.Xy34Zz.part", voice_);

    const SignInStore::Recovery recovery = SignInStore().FinishInterruptedSaves();
    EXPECT_EQ(recovery.completed, 2);
    EXPECT_EQ(recovery.removed, 0);
    EXPECT_EQ(Read(Plain() / "9-5-7.jpg"), plain_);
    EXPECT_EQ(Read(Audio() / "9-5-7.wav"), voice_);
    EXPECT_EQ(Names(Plain()), std::set<std::string>{"9-5-7.jpg"});
    EXPECT_EQ(Names(Audio()), std::set<std::string>{"9-5-7.wav"});
}

TEST_F(SignInRecovery, ASaveKilledBeforeItsPictureLeavesNothing) {
    Put(Pictures() / ".9-5-8-jpg.Qw12Er.part", picture_);
    Put(Plain() / ".9-5-8-jpg.Ab12Cd.part", plain_);
    Put(Audio() / ".9-5-8-wav.Xy34Zz.part", voice_);
    Put(folder_.path() / ".temp-jpg.Zz99Yy.part", plain_.substr(0, 100));

    const SignInStore::Recovery recovery = SignInStore().FinishInterruptedSaves();
    EXPECT_EQ(recovery.completed, 0);
    EXPECT_EQ(recovery.removed, 4);
    EXPECT_TRUE(Names(Pictures()).empty());
    EXPECT_TRUE(Names(Plain()).empty());
    EXPECT_TRUE(Names(Audio()).empty());
    EXPECT_FALSE(fs::exists(folder_.path() / ".temp-jpg.Zz99Yy.part"));
}

TEST_F(SignInRecovery, CutOrSurplusTemporariesNeverReplaceOrBecomeFiles) {
    // The picture of 9-5-7 is in place, but its staged photo was cut; 9-5-9 is complete already.
    Put(Pictures() / "9-5-7.jpg", picture_);
    Put(Plain() / ".9-5-7-jpg.Ab12Cd.part", plain_.substr(0, plain_.size() / 2));
    Put(Audio() / ".9-5-7-wav.Xy34Zz.part", voice_.substr(0, voice_.size() - 10));
    Put(Pictures() / "9-5-9.jpg", picture_);
    Put(Plain() / "9-5-9.jpg", plain_);
    Put(Plain() / ".9-5-9-jpg.Cd34Ef.part", picture_);

    SignInStore().FinishInterruptedSaves();
    EXPECT_EQ(Names(Plain()), std::set<std::string>{"9-5-9.jpg"});
    EXPECT_EQ(Read(Plain() / "9-5-9.jpg"), plain_);
    EXPECT_TRUE(Names(Audio()).empty());
}

TEST_F(SignInRecovery, OtherFilesInTheStorageAreLeftAlone) {
    // A video thumbnail the wall is writing, a file of the operator's, a picture without photo.
    Put(Pictures() / ".CLIP-avi-bmp.Ab12Cd.part", "thumbnail");
    Put(Pictures() / "notes.txt", "mine");
    Put(Pictures() / "9-5-7.jpg", picture_);
    Put(folder_.path() / "Storage" / "readme.part", "mine");

    const SignInStore::Recovery recovery = SignInStore().FinishInterruptedSaves();
    EXPECT_EQ(recovery.completed + recovery.removed, 0);
    EXPECT_EQ(Names(Pictures()),
              (std::set<std::string>{".CLIP-avi-bmp.Ab12Cd.part", "9-5-7.jpg", "notes.txt"}));
    EXPECT_TRUE(fs::exists(folder_.path() / "Storage" / "readme.part"));
}

TEST_F(SignInRecovery, ASaveWritesItsVoiceMessageWithThePictures) {
    SignInStore store;
    QImage frame(320, 240, QImage::Format_RGB32);
    frame.fill(Qt::blue);
    store.KeepPhoto(frame);
    QImage composed(320, 240, QImage::Format_ARGB32_Premultiplied);
    composed.fill(Qt::yellow);
    const std::vector<std::uint8_t> samples(5000, 0x90);

    const auto saved = store.Save({2026, 12, 8, 9, 5, 7}, composed, samples);
    ASSERT_TRUE(saved);
    EXPECT_TRUE(saved->voice_written);
    EXPECT_EQ(Names(Pictures()), std::set<std::string>{"9-5-7.jpg"});
    EXPECT_EQ(Names(Plain()), std::set<std::string>{"9-5-7.jpg"});
    EXPECT_EQ(Names(Audio()), std::set<std::string>{"9-5-7.wav"});
    EXPECT_EQ(Read(Audio() / "9-5-7.wav"), travenor::WaveFileBytes(samples));

    // Without samples there is no voice file; the next free stem is taken.
    store.KeepPhoto(frame);
    const auto second = store.Save({2026, 12, 8, 9, 5, 7}, composed);
    ASSERT_TRUE(second);
    EXPECT_FALSE(second->voice_written);
    EXPECT_EQ(Names(Pictures()), (std::set<std::string>{"9-5-7.jpg", "9-5-8.jpg"}));
    EXPECT_EQ(Names(Audio()), std::set<std::string>{"9-5-7.wav"});
}

TEST_F(SignInRecovery, ASaveThatCannotWriteItsPictureLeavesNothingOfIt) {
    SignInStore store;
    QImage frame(320, 240, QImage::Format_RGB32);
    frame.fill(Qt::blue);
    store.KeepPhoto(frame);
    EXPECT_FALSE(store.Save({2026, 12, 8, 9, 5, 7}, QImage(), std::vector<std::uint8_t>(100, 1)));
    EXPECT_TRUE(Names(Pictures()).empty());
    EXPECT_TRUE(Names(Plain()).empty());
    EXPECT_TRUE(Names(Audio()).empty());
    EXPECT_TRUE(store.HasPhoto()) << "kept for another try";
}

// Two stations of one event sign a guest in within the same second into folders that are then
// merged: their names differ, each station finds its own next free second, and a killed save of
// an extra station is completed at its next start like the main station's.
TEST_F(SignInRecovery, StationsOfOneEventKeepTheirOwnNames) {
    QImage frame(320, 240, QImage::Format_RGB32);
    frame.fill(Qt::blue);
    QImage composed(320, 240, QImage::Format_ARGB32_Premultiplied);
    composed.fill(Qt::yellow);
    SignInStore main_station;
    SignInStore second(tstring(vantor::kStorageRoot), tstring(u"temp2.jpg"), 2);
    for (SignInStore* store : {&main_station, &second, &second}) {
        store->KeepPhoto(frame);
        ASSERT_TRUE(store->Save({2026, 12, 8, 9, 5, 7}, composed, std::vector<std::uint8_t>(3000, 0x90)));
    }
    EXPECT_EQ(Names(Pictures()), (std::set<std::string>{"9-5-7.jpg", "9-5-7~2.jpg", "9-5-8~2.jpg"}));
    EXPECT_EQ(Names(Plain()), Names(Pictures()));
    EXPECT_EQ(Names(Audio()), (std::set<std::string>{"9-5-7.wav", "9-5-7~2.wav", "9-5-8~2.wav"}));

    Put(Pictures() / "10-0-0~2.jpg", picture_);
    Put(Plain() / ".10-0-0~2-jpg.Ab12Cd.part", plain_);
    Put(Audio() / ".10-0-1~2-wav.Xy34Zz.part", voice_);  // its picture never came
    const SignInStore::Recovery recovery = second.FinishInterruptedSaves();
    EXPECT_EQ(recovery.completed, 1);
    EXPECT_EQ(Read(Plain() / "10-0-0~2.jpg"), plain_);
    EXPECT_FALSE(Names(Audio()).contains("10-0-1~2.wav"));
}

}  // namespace
