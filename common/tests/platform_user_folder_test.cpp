// The first start of an installed program: the user's folder is made from the read-only shipped
// one, and what the operator already has there is never touched.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/user_folder.h"

namespace {

namespace fs = std::filesystem;
using vantor::PrepareUserFolder;
using vantor::UserFolderReport;
using vantor::WorkingFolderFor;

void Write(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text;
}

std::string Read(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class UserFolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("vantor-user-folder-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        shipped_ = root_ / "opt";
        user_ = root_ / "home" / "Vantor";
        Write(shipped_ / "Bin/config.ini", "[set]\nshipped=1\n");
        Write(shipped_ / "Bin/people.txt", "shipped guests\n");
        Write(shipped_ / "Bin/language.txt", "shipped texts\n");
        Write(shipped_ / "SetInfo.ini", "[CheatInfo]\n");
        Write(shipped_ / "Template/01.png", "frame");
        Write(shipped_ / "images/Wall/background.jpg", "jpg");
        Write(shipped_ / "Travenor", "program");
        Write(shipped_ / "libTarquel.so.1", "library");
        // The shipped folder is read-only, as /opt/vantor is for the user.
        fs::permissions(shipped_ / "Bin/config.ini", fs::perms::owner_read | fs::perms::group_read);
    }
    void TearDown() override { fs::remove_all(root_); }

    fs::path root_, shipped_, user_;
};

TEST_F(UserFolderTest, FillsAMissingFolderWithCopiesLinksAndEmptyDataFolders) {
    const UserFolderReport report = PrepareUserFolder(shipped_, user_);
    EXPECT_TRUE(report.failures.empty()) << report.failures.front();

    for (const char* rel : {"Bin/config.ini", "Bin/people.txt", "SetInfo.ini"}) {
        EXPECT_EQ(fs::symlink_status(user_ / rel).type(), fs::file_type::regular) << rel;
        EXPECT_EQ(Read(user_ / rel), Read(shipped_ / rel)) << rel;
    }
    // The operator's copy of a read-only shipped file can be rewritten.
    std::ofstream(user_ / "Bin/config.ini") << "[set]\nmine=1\n";
    EXPECT_EQ(Read(user_ / "Bin/config.ini"), "[set]\nmine=1\n");

    EXPECT_TRUE(fs::is_directory(fs::symlink_status(user_ / "Bin")));
    for (const char* rel : {"Bin/language.txt", "Template", "images", "Travenor"}) {
        ASSERT_TRUE(fs::is_symlink(user_ / rel)) << rel;
        EXPECT_EQ(fs::read_symlink(user_ / rel), shipped_ / rel) << rel;
    }
    EXPECT_EQ(Read(user_ / "images/Wall/background.jpg"), "jpg");
    EXPECT_FALSE(fs::exists(fs::symlink_status(user_ / "libTarquel.so.1")));
    EXPECT_TRUE(fs::is_directory(user_ / "Storage"));
    EXPECT_TRUE(fs::is_directory(user_ / "lottery"));
}

TEST_F(UserFolderTest, NeverOverwritesWhatTheUserFolderAlreadyHolds) {
    Write(user_ / "Bin/config.ini", "[set]\nmine=1\n");
    Write(user_ / "Bin/people.txt", "my guests\n");
    Write(user_ / "SetInfo.ini", "[CheatInfo]\n1=A\n");
    Write(user_ / "Storage/2026-12-8/WithTemplate/9-5-7.jpg", "saved");
    fs::create_directories(user_ / "Template");           // the operator's own frames instead of the link
    fs::create_symlink(root_ / "gone", user_ / "Sound");  // even a broken link stays

    const UserFolderReport first = PrepareUserFolder(shipped_, user_);
    EXPECT_TRUE(first.failures.empty()) << first.failures.front();
    EXPECT_EQ(Read(user_ / "Bin/config.ini"), "[set]\nmine=1\n");
    EXPECT_EQ(Read(user_ / "Bin/people.txt"), "my guests\n");
    EXPECT_EQ(Read(user_ / "SetInfo.ini"), "[CheatInfo]\n1=A\n");
    EXPECT_EQ(Read(user_ / "Storage/2026-12-8/WithTemplate/9-5-7.jpg"), "saved");
    EXPECT_FALSE(fs::is_symlink(user_ / "Template"));
    EXPECT_EQ(fs::read_symlink(user_ / "Sound"), root_ / "gone");
    EXPECT_TRUE(fs::is_symlink(user_ / "Bin/language.txt"));

    // A second start finds everything in place and makes nothing.
    EXPECT_TRUE(PrepareUserFolder(shipped_, user_).made.empty());
}

TEST_F(UserFolderTest, WorkingFolderIsTheProgramFolderOnlyWhenItIsWritable) {
    const auto writable = [](const fs::path&) { return true; };
    const auto readOnly = [](const fs::path&) { return false; };
    EXPECT_EQ(WorkingFolderFor(shipped_, root_ / "home", writable), shipped_);
    EXPECT_EQ(WorkingFolderFor(shipped_, root_ / "home", readOnly), root_ / "home" / "Vantor");
    // No installation folder (a test program's folder): nothing to anchor to.
    EXPECT_TRUE(WorkingFolderFor(root_ / "home", root_ / "home", readOnly).empty());
}

}  // namespace
