// The storage names (no leading zeros) and the creation rules of the day folders.
#include <filesystem>
#include <gtest/gtest.h>
#include "platform/local_clock.h"
#include "text/narrow_text.h"
#include "storage/storage_layout.h"
#include "test_folder.h"

namespace {

namespace fs = std::filesystem;

vantor::LocalDateTime At(int year, int month, int day, int hour, int minute, int second) {
    vantor::LocalDateTime time;
    time.year = year;
    time.month = month;
    time.day = day;
    time.hour = hour;
    time.minute = minute;
    time.second = second;
    return time;
}

TEST(StorageNames, HaveNoLeadingZeros) {
    const auto time = At(2024, 3, 5, 9, 5, 7);
    const tstring day = vantor::DatedFolder(u"Storage", time);
    EXPECT_EQ(day, tstring(u"Storage\\2024-3-5"));
    EXPECT_EQ(vantor::WithTemplateFolder(day), tstring(u"Storage\\2024-3-5\\WithTemplate"));
    EXPECT_EQ(vantor::NoTemplateFolder(day), tstring(u"Storage\\2024-3-5\\NoTemplate"));
    EXPECT_EQ(vantor::AudioFolder(day), tstring(u"Storage\\2024-3-5\\Audio"));
    EXPECT_EQ(vantor::SignInStem(time), tstring(u"9-5-7"));
    EXPECT_EQ(vantor::PictureFile(u"W", time), tstring(u"W\\9-5-7.jpg"));
    EXPECT_EQ(vantor::VoiceFile(u"A", time), tstring(u"A\\9-5-7.wav"));
    EXPECT_EQ(vantor::SignInStem(At(2024, 12, 31, 23, 59, 0)), tstring(u"23-59-0"));
}

TEST(StorageNames, StemsParseToTheirTimeOfDay) {
    // As text "10-0-0" sorts before "9-59-59"; parsed, it comes after.
    EXPECT_GT(vantor::ParseSignInStem(u"10-0-0.jpg").value(),
              vantor::ParseSignInStem(u"9-59-59.jpg").value());
    EXPECT_EQ(vantor::ParseSignInStem(u"Storage\\2024-3-5\\Audio\\9-5-7.wav"), 9 * 3600 + 5 * 60 + 7);
    EXPECT_EQ(vantor::ParseSignInStem(u"0-0-0"), 0);
    for (const char16_t* name : {u"", u"9-5", u"9-5-7-1.jpg", u"a-b-c.jpg", u"24-0-0.jpg", u"9--7.jpg",
                                 u"9-60-0.jpg", u"-5-7.jpg", u"99999-1-1.jpg", u"thumb.jpg"}) {
        EXPECT_FALSE(vantor::ParseSignInStem(name).has_value())
            << vantor::WideToUtf8(tstring(name).GetBase());
    }
}

TEST(StorageNames, AnExtraStationsStemsCarryItsNumber) {
    const auto time = At(2024, 3, 5, 9, 5, 7);
    EXPECT_EQ(vantor::SignInStem(time, 2), tstring(u"9-5-7~2"));
    EXPECT_EQ(vantor::PictureFile(u"W", time, 12), tstring(u"W\\9-5-7~12.jpg"));
    EXPECT_EQ(vantor::VoiceFile(u"A", time, 3), tstring(u"A\\9-5-7~3.wav"));
    EXPECT_EQ(vantor::PictureFile(u"W", time, vantor::kMainStation), tstring(u"W\\9-5-7.jpg"));
    // Read back: the same time of day, and the station.
    EXPECT_EQ(vantor::ParseSignInStem(u"W\\9-5-7~12.jpg"), vantor::ParseSignInStem(u"9-5-7.jpg"));
    EXPECT_EQ(vantor::SignInStation(u"Audio\\9-5-7~3.wav"), 3);
    EXPECT_EQ(vantor::SignInStation(u"9-5-7.jpg"), vantor::kMainStation);
    for (const char16_t* name : {u"9-5-7~1.jpg", u"9-5-7~.jpg", u"9-5-7~02.jpg", u"9-5-7~100.jpg",
                                 u"9-5-7~2~3.jpg", u"~2.jpg", u"9-5-7~x.jpg", u"9-5~2-7.jpg"}) {
        EXPECT_FALSE(vantor::ParseSignInStem(name).has_value())
            << vantor::WideToUtf8(tstring(name).GetBase());
        EXPECT_FALSE(vantor::SignInStation(name).has_value());
    }
}

class StorageFolders : public ::testing::Test {
  protected:
    StorageFolders() : scope_(folder_.path()), clock_(At(2024, 3, 5, 9, 5, 7)), storage_(clock_) {}

    bool Exists(const char* relative) const { return fs::is_directory(folder_.path() / relative); }

    vantor_test::TestFolder folder_;
    vantor_test::WorkingFolderScope scope_;
    vantor::ManualClock clock_;
    vantor::StorageLayout storage_;
};

TEST_F(StorageFolders, DayFoldersAreCreatedWithAllThreeSubFolders) {
    EXPECT_TRUE(storage_.EnsureRoot());
    EXPECT_TRUE(Exists("Storage"));
    EXPECT_FALSE(Exists("Storage/2024-3-5"));
    EXPECT_TRUE(storage_.EnsureTodayFolders());
    EXPECT_TRUE(Exists("Storage/2024-3-5/WithTemplate"));
    EXPECT_TRUE(Exists("Storage/2024-3-5/NoTemplate"));
    EXPECT_TRUE(Exists("Storage/2024-3-5/Audio"));
}

TEST_F(StorageFolders, ExistingDayKeepsItsFilesAndGetsMissingSubFoldersBack) {
    folder_.Write("Storage/2024-3-5/WithTemplate/9-0-0.jpg", "picture");
    EXPECT_TRUE(storage_.EnsureTodayFolders());
    EXPECT_EQ(folder_.Read("Storage/2024-3-5/WithTemplate/9-0-0.jpg"), "picture");
    EXPECT_TRUE(Exists("Storage/2024-3-5/Audio"));
    EXPECT_TRUE(Exists("Storage/2024-3-5/NoTemplate"));
}

TEST_F(StorageFolders, AFileInTheWayIsAFailureNotACrash) {
    folder_.Write("Storage", "not a folder");
    EXPECT_FALSE(storage_.EnsureRoot());
    EXPECT_FALSE(storage_.EnsureTodayFolders());
    EXPECT_EQ(folder_.Read("Storage"), "not a folder");
    EXPECT_FALSE(vantor::FolderExists(u"Storage"));
}

}  // namespace
