#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include "platform/native_path.h"
#include "platform/profile_file.h"
#include "test_folder.h"

namespace {

using vantor::GetPrivateProfileIntW;
using vantor::GetPrivateProfileStringW;
using vantor::WritePrivateProfileStringW;

// A profile file in a fresh folder, addressed by its logic path.
class PlatformProfileFile : public ::testing::Test {
  protected:
    void SetUp() override { unsetenv("VANTOR_CODEPAGE"); }
    void TearDown() override { unsetenv("VANTOR_CODEPAGE"); }

    tstring Write(const std::string& bytes) {
        folder_.Write("settings.ini", bytes);
        return Path();
    }
    tstring Path() const { return vantor::FromNativePath((folder_.path() / "settings.ini").string()); }
    std::string Bytes() const { return folder_.Read("settings.ini"); }

    std::u16string Value(const char16_t* section, const char16_t* key, const char16_t* fallback = u"-") {
        char16_t buffer[260] = {};
        GetPrivateProfileStringW(section, key, fallback, buffer, 260, Path());
        return buffer;
    }
    // A name list as the separate names, plus the returned count.
    std::pair<std::vector<std::u16string>, std::uint32_t> List(const char16_t* section,
                                                               std::uint32_t size = 4096) {
        std::vector<char16_t> buffer(size, u'#');
        const std::uint32_t count =
            GetPrivateProfileStringW(section, nullptr, u"", buffer.data(), size, Path());
        std::vector<std::u16string> names;
        for (std::size_t at = 0; at < count && buffer[at] != 0;) {
            names.emplace_back(buffer.data() + at);
            at += names.back().size() + 1;
        }
        return {names, count};
    }

    vantor_test::TestFolder folder_;
};

TEST_F(PlatformProfileFile, NamesIgnoreCaseAndBlanksValuesAreTrimmedAndUnquoted) {
    Write("[ Camera ]\n  Width =  800  \nname=\"  quoted \"\nlanguage =2\n\tTabbed\t=\tx\t\n");
    EXPECT_EQ(Value(u"camera", u"WIDTH"), u"800");
    EXPECT_EQ(Value(u"  CAMERA", u"width "), u"800");
    EXPECT_EQ(Value(u"camera", u"name"), u"  quoted ");
    EXPECT_EQ(Value(u"camera", u"tabbed"), u"x");
    EXPECT_EQ(GetPrivateProfileIntW(u"Camera", u"language ", 1, Path()), 2u);
    EXPECT_EQ(Value(u"camera", u"missing", u"fallback  "), u"fallback");
    EXPECT_EQ(Value(u"nowhere", u"width"), u"-");
}

TEST_F(PlatformProfileFile, IntegersReadTheLeadingNumber) {
    Write("[a]\nplain=42\nsigned=-7\ntrailing=12px\nword=abc\nhuge=99999999999\n");
    EXPECT_EQ(GetPrivateProfileIntW(u"a", u"plain", 5, Path()), 42u);
    EXPECT_EQ(static_cast<int>(GetPrivateProfileIntW(u"a", u"signed", 5, Path())), -7);
    EXPECT_EQ(GetPrivateProfileIntW(u"a", u"trailing", 5, Path()), 12u);
    EXPECT_EQ(GetPrivateProfileIntW(u"a", u"word", 5, Path()), 0u);
    EXPECT_EQ(GetPrivateProfileIntW(u"a", u"missing", 5, Path()), 5u);
    EXPECT_EQ(GetPrivateProfileIntW(u"a", u"huge", 5, Path()), 2147483647u);
}

TEST_F(PlatformProfileFile, MissingOrUnreadableFileGivesTheDefault) {
    EXPECT_EQ(Value(u"a", u"b", u"dflt"), u"dflt");
    EXPECT_EQ(GetPrivateProfileIntW(u"a", u"b", 9, Path()), 9u);
    EXPECT_EQ(List(nullptr).second, 0u);
    std::filesystem::create_directory(folder_.path() / "settings.ini");  // a folder, not a file
    EXPECT_EQ(Value(u"a", u"b", u"dflt"), u"dflt");
}

TEST_F(PlatformProfileFile, NameListsAreDoubleTerminatedInFileOrder) {
    Write("; comment\n[Main]\nb=1\n;skip=me\na=2\nnot a key\n[Draw]\nz=3\n[main]\nlate=4\n");
    const auto [sections, count] = List(nullptr);
    EXPECT_EQ(sections, (std::vector<std::u16string>{u"Main", u"Draw"}));
    EXPECT_EQ(count, 10u);  // "Main\0Draw\0" without the final terminator
    EXPECT_EQ(List(u"MAIN").first, (std::vector<std::u16string>{u"b", u"a"}));
    EXPECT_EQ(List(u"absent").second, 0u);
    // A duplicated section: reads use the first one.
    EXPECT_EQ(Value(u"main", u"late"), u"-");
}

TEST_F(PlatformProfileFile, ATooSmallBufferCutsTheListAndReturnsSizeMinusTwo) {
    Write("[alpha]\n[beta]\n[gamma]\n");
    std::vector<char16_t> buffer(9, u'#');
    EXPECT_EQ(GetPrivateProfileStringW(nullptr, nullptr, u"", buffer.data(), 9, Path()), 7u);
    EXPECT_EQ(std::u16string(buffer.data(), 9), std::u16string(u"alpha\0b\0\0", 9));
    char16_t value[4] = {};
    Write("[s]\nk=123456\n");
    EXPECT_EQ(GetPrivateProfileStringW(u"s", u"k", u"", value, 4, Path()), 3u);
    EXPECT_EQ(std::u16string(value), u"123");
}

TEST_F(PlatformProfileFile, WritingCreatesFileSectionAndKey) {
    EXPECT_NE(WritePrivateProfileStringW(u"camera", u"width", u"800", Path()), 0);
    EXPECT_NE(WritePrivateProfileStringW(u"camera", u"height", u"600", Path()), 0);
    EXPECT_NE(WritePrivateProfileStringW(u"other", u"k", u"v", Path()), 0);
    EXPECT_EQ(Bytes(), "[camera]\nwidth=800\nheight=600\n\n[other]\nk=v\n");
    EXPECT_EQ(Value(u"CAMERA", u"height"), u"600");
}

TEST_F(PlatformProfileFile, WritingKeepsEveryOtherLineAndTheLineEnds) {
    const std::string original =
        "; settings\r\n\r\n[camera]\r\nwidth = 640\r\n; keep me\r\n\r\n[version]\r\nlanguage =1\r\n";
    Write(original);
    WritePrivateProfileStringW(u"Camera", u"WIDTH", u"1280", Path());
    WritePrivateProfileStringW(u"camera", u"height", u"720", Path());
    EXPECT_EQ(
        Bytes(),
        "; settings\r\n\r\n[camera]\r\nwidth = 1280\r\n; keep me\r\nheight=720\r\n\r\n[version]\r\nlanguage "
        "=1\r\n");
}

TEST_F(PlatformProfileFile, WritingAfterALastLineWithoutLineEnd) {
    Write("[CheatInfo]");
    WritePrivateProfileStringW(u"CheatInfo", u"1-2-3.jpg", u"一等奖", Path());
    EXPECT_EQ(Bytes(), "[CheatInfo]\n1-2-3.jpg=\xE4\xB8\x80\xE7\xAD\x89\xE5\xA5\x96\n");
    Write("[a]\nx=1");
    WritePrivateProfileStringW(u"a", u"x", u"2", Path());
    EXPECT_EQ(Bytes(), "[a]\nx=2");
}

TEST_F(PlatformProfileFile, NullValueDeletesTheKeyNullKeyTheSection) {
    Write("[a]\nx=1\ny=2\n[b]\nz=3\n[a]\nx=4\n");
    EXPECT_NE(WritePrivateProfileStringW(u"a", u"x", nullptr, Path()), 0);
    EXPECT_EQ(Bytes(), "[a]\ny=2\n[b]\nz=3\n[a]\n");
    EXPECT_NE(WritePrivateProfileStringW(u"A", nullptr, nullptr, Path()), 0);
    EXPECT_EQ(Bytes(), "[b]\nz=3\n");
    // Deleting from a file that is not there creates nothing.
    const tstring absent = vantor::FromNativePath((folder_.path() / "absent.ini").string());
    EXPECT_NE(WritePrivateProfileStringW(u"a", u"x", nullptr, absent), 0);
    EXPECT_FALSE(std::filesystem::exists(folder_.path() / "absent.ini"));
}

TEST_F(PlatformProfileFile, FailedWritesLeaveTheFileAsItWas) {
    Write("[a]\nx=1\n");
    ::chmod((folder_.path() / "settings.ini").c_str(), 0444);
    if (::access((folder_.path() / "settings.ini").c_str(), W_OK) != 0) {  // root may write anyway
        EXPECT_EQ(WritePrivateProfileStringW(u"a", u"x", u"2", Path()), 0);
        EXPECT_EQ(Bytes(), "[a]\nx=1\n");
    }
    const tstring nowhere = vantor::FromNativePath((folder_.path() / "no" / "such" / "x.ini").string());
    EXPECT_EQ(WritePrivateProfileStringW(u"a", u"x", u"2", nowhere), 0);
    // No temporary file is left beside the settings.
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder_.path())) {
        ++files;
    }
    EXPECT_EQ(files, 1);
}

// A killed write leaves its temporary file (".settings-ini.XXXXXX.part") beside the file; the next
// write of the same file removes those of it that are old, and nothing else: not a recent one (a
// write of another process may be filling it), not another file's, not a look-alike name, not a
// symbolic link or a folder.
TEST_F(PlatformProfileFile, AWriteRemovesOldTemporaryFilesOfKilledWritesOfTheSameFile) {
    Write("[a]\nx=1\n");
    const auto age = [this](const std::string& name, std::chrono::hours hours) {
        const auto path = folder_.path() / name;
        std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() - hours);
    };
    const std::vector<std::string> stale = {".settings-ini.Ab3xZ9.part", ".settings-ini.000000.part"};
    const std::vector<std::string> kept = {
        ".settings-ini.Q1w2E3.part",    // recent
        ".settings-ini.Ab3xZ.part",     // five characters
        ".settings-ini.Ab3x-9.part",    // not mkstemps' alphabet
        ".other-ini.Ab3xZ9.part",       // another file's
        "settings.ini.Ab3xZ9",          // not this scheme
        ".settings-ini.Ab3xZ9.part.1",  // a longer name
    };
    for (const std::string& name : stale) {
        folder_.Write(name, "[a]\nx=");
        age(name, std::chrono::hours(2));
    }
    for (const std::string& name : kept) {
        folder_.Write(name, "[a]\nx=");
        if (name != kept.front()) {
            age(name, std::chrono::hours(2));
        }
    }
    std::filesystem::create_directory(folder_.path() / ".settings-ini.D1r000.part");
    std::filesystem::create_symlink(folder_.path() / "settings.ini",
                                    folder_.path() / ".settings-ini.L1nk00.part");

    EXPECT_NE(WritePrivateProfileStringW(u"a", u"x", u"2", Path()), 0);
    EXPECT_EQ(Bytes(), "[a]\nx=2\n");
    for (const std::string& name : stale) {
        EXPECT_FALSE(std::filesystem::exists(folder_.path() / name)) << name;
    }
    for (const std::string& name : kept) {
        EXPECT_TRUE(std::filesystem::exists(folder_.path() / name)) << name;
    }
    EXPECT_TRUE(std::filesystem::is_directory(folder_.path() / ".settings-ini.D1r000.part"));
    EXPECT_TRUE(std::filesystem::is_symlink(folder_.path() / ".settings-ini.L1nk00.part"));

    // A whole-file replacement of a profile file cleans up the same way.
    folder_.Write(stale.front(), "[a]\nx=");
    age(stale.front(), std::chrono::hours(2));
    EXPECT_TRUE(vantor::ReplaceProfileFile(Path(), "[b]\ny=3\n", 0644));
    EXPECT_EQ(Bytes(), "[b]\ny=3\n");
    EXPECT_FALSE(std::filesystem::exists(folder_.path() / stale.front()));
}

// Writers of one file on several threads of the process: every write lands, none fails because
// another's temporary file was taken for a stale one, and no temporary file is left.
TEST_F(PlatformProfileFile, ConcurrentWritersOfOneFileAllSucceed) {
    Write("[a]\n");
    constexpr int kThreads = 4;
    constexpr int kWrites = 10;
    std::atomic<int> failures{0};
    {
        std::vector<std::jthread> writers;
        for (int t = 0; t < kThreads; ++t) {
            writers.emplace_back([this, t, &failures] {
                for (int i = 0; i < kWrites; ++i) {
                    const std::u16string key = u"k" + std::u16string(1, static_cast<char16_t>(u'a' + t)) +
                                               std::u16string(1, static_cast<char16_t>(u'A' + i));
                    if (WritePrivateProfileStringW(u"a", key.c_str(), u"1", Path()) == 0) {
                        ++failures;
                    }
                }
            });
        }
    }
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(List(u"a").first.size(), static_cast<std::size_t>(kThreads * kWrites));
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder_.path())) {
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST_F(PlatformProfileFile, GbkFilesReadAndWriteInTheirCodePage) {
    setenv("VANTOR_CODEPAGE", "GBK", 1);
    Write("[CheatInfo]\r\n1-2-3.jpg=\xD2\xBB\xB5\xC8\xBD\xB1\r\n");  // 一等奖 in GBK
    EXPECT_EQ(Value(u"CheatInfo", u"1-2-3.jpg"), u"一等奖");
    WritePrivateProfileStringW(u"CheatInfo", u"4-5-6.jpg", u"二等奖", Path());
    EXPECT_EQ(Bytes(),
              "[CheatInfo]\r\n1-2-3.jpg=\xD2\xBB\xB5\xC8\xBD\xB1\r\n4-5-6.jpg=\xB6\xFE\xB5\xC8\xBD\xB1\r\n");
}

TEST_F(PlatformProfileFile, ByteOrderMarksAreHonouredAndKept) {
    Write("\xEF\xBB\xBF[版本]\nlanguage=2\n");
    EXPECT_EQ(GetPrivateProfileIntW(u"版本", u"language", 1, Path()), 2u);
    WritePrivateProfileStringW(u"版本", u"language", u"3", Path());
    EXPECT_EQ(Bytes(), "\xEF\xBB\xBF[版本]\nlanguage=3\n");

    const std::u16string text = u"[s]\r\nkey=值\r\n";
    std::string utf16 = "\xFF\xFE";
    for (char16_t c : text) {
        utf16.push_back(static_cast<char>(c & 0xFF));
        utf16.push_back(static_cast<char>(c >> 8));
    }
    Write(utf16);
    EXPECT_EQ(Value(u"s", u"key"), u"值");
    WritePrivateProfileStringW(u"s", u"other", u"x", Path());
    EXPECT_EQ(Value(u"s", u"other"), u"x");
    EXPECT_EQ(Bytes().substr(0, utf16.size()), utf16);
}

// A UTF-16 file cut after half a unit (an odd byte count) keeps that byte through a write.
TEST_F(PlatformProfileFile, TheOddLastByteOfAUtf16FileSurvivesAWrite) {
    std::string utf16 = "\xFF\xFE";
    for (char16_t c : std::u16string(u"[s]\r\nkey=1\r\n")) {
        utf16.push_back(static_cast<char>(c & 0xFF));
        utf16.push_back(static_cast<char>(c >> 8));
    }
    Write(utf16 + "\x5B");
    EXPECT_EQ(Value(u"s", u"key"), u"1");
    EXPECT_NE(WritePrivateProfileStringW(u"s", u"key", u"2", Path()), 0);
    EXPECT_EQ(Value(u"s", u"key"), u"2");
    const std::string bytes = Bytes();
    ASSERT_EQ(bytes.size(), utf16.size() + 1);
    EXPECT_EQ(bytes.back(), '\x5B');
}

TEST_F(PlatformProfileFile, InvalidBytesInOtherLinesSurviveAWrite) {
    const std::string broken = "[a]\nx=1\nbinary=\xFF\xFE\x01\x80\n";
    Write(broken);
    WritePrivateProfileStringW(u"a", u"x", u"2", Path());
    EXPECT_EQ(Bytes(), "[a]\nx=2\nbinary=\xFF\xFE\x01\x80\n");
}

TEST_F(PlatformProfileFile, AVeryLongLineAndManySections) {
    std::string bytes = "[long]\nvalue=" + std::string(100000, 'v') + "\n";
    for (int i = 0; i < 3000; ++i) {
        bytes += "[section" + std::to_string(i) + "]\nk=" + std::to_string(i) + "\n";
    }
    Write(bytes);
    EXPECT_EQ(Value(u"long", u"value"), std::u16string(259, u'v'));
    EXPECT_EQ(GetPrivateProfileIntW(u"section2999", u"k", -1, Path()), 2999u);
    EXPECT_EQ(List(nullptr, 100000).first.size(), 3001u);
}

}  // namespace
