#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <set>

#include "platform/message_box.h"
#include "text/narrow_text.h"
#include "platform/native_path.h"
#include "platform/profile_file.h"
#include "seat/guest_list.h"
#include "language/language.h"
#include "test_folder.h"

namespace {

class TextLanguage : public ::testing::Test {
  protected:
    TextLanguage() : boxes_scope_(boxes_) {}
    void TearDown() override { unsetenv("VANTOR_CODEPAGE"); }

    tstring Write(const std::string& bytes) {
        return vantor::FromNativePath(folder_.Write("Bin/language.txt", bytes).string());
    }

    vantor_test::TestFolder folder_;
    vantor::RecordingMessageBoxes boxes_;
    vantor::ScopedMessageBoxService boxes_scope_;
    vantor::LanguageTable table_;
};

TEST_F(TextLanguage, PicksTheColumnOfTheLanguageNumber) {
    const tstring path = Write("1 `签到人数` `Guests`\n 12\t`保存`  `Save`\n\t007`七`x`Seven`\n");
    ASSERT_TRUE(table_.Load(path, 1));
    EXPECT_EQ(table_.Lookup(u"1").GetBase(), u"签到人数");
    EXPECT_EQ(table_.Lookup(u"12").GetBase(), u"保存");
    EXPECT_EQ(table_.Lookup(u"7").GetBase(), u"七");  // "007" is key 7
    ASSERT_TRUE(table_.Load(path, 2));
    EXPECT_EQ(table_.Lookup(u"12").GetBase(), u"Save");
    EXPECT_EQ(table_.Lookup(u"7").GetBase(), u"Seven");
    ASSERT_TRUE(table_.Load(path, 0));  // below 1 counts as 1
    EXPECT_EQ(table_.Lookup(u"1").GetBase(), u"签到人数");
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(TextLanguage, MissingTextsShowTheirKey) {
    ASSERT_TRUE(table_.Load(Write("3 `只有中文`\n4 `开放\n5 ``\n"), 2));
    EXPECT_EQ(table_.Lookup(u"3").GetBase(), u"3");     // one enclosed text only
    EXPECT_EQ(table_.Lookup(u"4").GetBase(), u"开放");  // an unclosed last text serves every language
    EXPECT_EQ(table_.Lookup(u"5").GetBase(), u"5");
    EXPECT_EQ(table_.Lookup(u"99").GetBase(), u"99");
    EXPECT_TRUE(table_.Lookup(nullptr).IsEmpty());
}

TEST_F(TextLanguage, IgnoredLinesStillCountForLineNumbers) {
    const tstring path = Write(
        "; comment\r\n"
        "\r\n"
        "8 no backtick at all\r\n"
        "-1 `negative`\r\n"
        "8 `第一` `first`\r\n"
        "   8 `第二` `second`\r\n"
        "9 `line\\nbreak` `x`");  // no final line end
    ASSERT_TRUE(table_.Load(path, 1));
    EXPECT_EQ(table_.Size(), 2u);
    EXPECT_EQ(table_.Lookup(u"8").GetBase(), u"第一");
    EXPECT_EQ(table_.Lookup(u"9").GetBase(), u"line\nbreak");
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, u"字符索引8重复,行号:6");
    EXPECT_EQ(boxes_.Boxes()[0].caption, u"tips");
}

TEST_F(TextLanguage, MissingFileIsReportedOnce) {
    EXPECT_FALSE(table_.Load(u"Bin\\no-such-language.txt", 1));
    EXPECT_EQ(table_.Size(), 0u);
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, u"打开英文翻译字符串文件失败");
    EXPECT_EQ(boxes_.Boxes()[0].caption, u"信息提示");
}

TEST_F(TextLanguage, BinaryAndTruncatedFilesLoadWhatTheyCan) {
    std::string binary;
    for (int i = 0; i < 4096; ++i) {
        binary.push_back(static_cast<char>((i * 37) & 0xFF));
    }
    EXPECT_TRUE(table_.Load(Write(binary), 1));
    EXPECT_TRUE(table_.Load(Write("1 `好` `Good`\n2 `未完"), 2));
    EXPECT_EQ(table_.Lookup(u"1").GetBase(), u"Good");
    EXPECT_EQ(table_.Lookup(u"2").GetBase(), u"未完");
    setenv("VANTOR_CODEPAGE", "UTF-8", 1);
    EXPECT_TRUE(table_.Load(Write("1 `\xE7\xAD` `x`\n"), 1));  // a character cut in the middle
    EXPECT_EQ(table_.Lookup(u"1").GetBase(), u"\uFFFD\uFFFD");
}

TEST_F(TextLanguage, GbkFileReadsInItsCodePage) {
    setenv("VANTOR_CODEPAGE", "GBK", 1);
    ASSERT_TRUE(table_.Load(Write("12 `\xB1\xA3\xB4\xE6` `Save`\n"), 1));  // 保存 in GBK
    EXPECT_EQ(table_.Lookup(u"12").GetBase(), u"保存");
}

// Each text file is read in its own encoding: the shipped UTF-8 table beside a guest list and a
// settings file written on a Chinese Windows machine (GBK), with or without VANTOR_CODEPAGE.
TEST_F(TextLanguage, ShippedUtf8FilesAndGbkFilesReadSideBySide) {
    const auto shipped = std::filesystem::path(std::getenv("VANTOR_SOURCE_DIR")) / "resources" / "install" /
                         "Bin" / "language.txt";
    const tstring people = vantor::FromNativePath(
        folder_.Write("Bin/people.txt", vantor::WideToNarrow(u"zs # 张三 # 8\n", "GBK")).string());
    const tstring marked = vantor::FromNativePath(
        folder_.Write("Bin/marked.txt", "\xEF\xBB\xBFls # \xE6\x9D\x8E\xE5\x9B\x9B # 9\n").string());
    const tstring gbkIni = vantor::FromNativePath(
        folder_.Write("gbk.ini", "[CheatInfo]\r\n1-2-3.jpg=\xD2\xBB\xB5\xC8\xBD\xB1\r\n").string());
    const tstring utf8Ini =
        vantor::FromNativePath(folder_.Write("utf8.ini", "[CheatInfo]\n1-2-3.jpg=一等奖\n").string());
    for (const char* codePage : {"GBK", ""}) {
        SCOPED_TRACE(codePage);
        setenv("VANTOR_CODEPAGE", codePage, 1);
        ASSERT_TRUE(table_.Load(vantor::FromNativePath(shipped.string()), 1));
        EXPECT_EQ(table_.Lookup(u"23").GetBase(), u"特等奖");
        const std::vector<vantor::GuestRecord> guests = vantor::LoadGuestList(people);
        ASSERT_EQ(guests.size(), 1u);
        EXPECT_EQ(guests[0].name.GetBase(), u"张三");
        const std::vector<vantor::GuestRecord> withMark = vantor::LoadGuestList(marked);
        ASSERT_EQ(withMark.size(), 1u);
        EXPECT_EQ(withMark[0].name.GetBase(), u"李四");
        for (const tstring& ini : {gbkIni, utf8Ini}) {
            char16_t value[16] = {};
            vantor::GetPrivateProfileStringW(u"CheatInfo", u"1-2-3.jpg", u"", value, 16, ini);
            EXPECT_EQ(std::u16string(value), u"一等奖");
        }
    }
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(TextLanguage, ByteOrderMarksOverrideTheCodePage) {
    setenv("VANTOR_CODEPAGE", "GBK", 1);
    ASSERT_TRUE(table_.Load(Write("\xEF\xBB\xBF"
                                  "12 `\xE4\xBF\x9D\xE5\xAD\x98` `Save`\n"),
                            1));
    EXPECT_EQ(table_.Lookup(u"12").GetBase(), u"保存");
    std::string utf16 = "\xFF\xFE";
    for (char16_t c : std::u16string(u"12 `保存` `Save`\r\n13 `x` `y`\r\n")) {
        utf16.push_back(static_cast<char>(c & 0xFF));
        utf16.push_back(static_cast<char>(c >> 8));
    }
    ASSERT_TRUE(table_.Load(Write(utf16), 2));
    EXPECT_EQ(table_.Lookup(u"12").GetBase(), u"Save");
    EXPECT_EQ(table_.Lookup(u"13").GetBase(), u"y");
}

TEST_F(TextLanguage, LanguageNumberComesFromTheSettings) {
    folder_.Write("Bin/config.ini", "[version]\nlanguage =2\n");
    const tstring config = vantor::FromNativePath((folder_.path() / "Bin" / "config.ini").string());
    EXPECT_EQ(vantor::ConfiguredLanguageNumber(config), 2);
    folder_.Write("Bin/config.ini", "[version]\nlanguage=-4\n");
    EXPECT_EQ(vantor::ConfiguredLanguageNumber(config), 1);
    EXPECT_EQ(vantor::ConfiguredLanguageNumber(u"\\no\\such\\config.ini"), 1);
}

// A language number far beyond the columns of any line reads like the highest column each line
// holds, at once: no overflow, and no stepping through backticks a line does not have.
TEST_F(TextLanguage, AHugeLanguageNumberTakesTheLastColumnALineHolds) {
    folder_.Write("Bin/config.ini", "[version]\nlanguage =99999999999\n");
    const tstring config = vantor::FromNativePath((folder_.path() / "Bin" / "config.ini").string());
    EXPECT_EQ(vantor::ConfiguredLanguageNumber(config), INT_MAX);

    const std::clock_t start = std::clock();
    for (int number : {INT_MAX, INT_MAX / 2 + 1, 1'000'000'000}) {
        SCOPED_TRACE(number);
        table_.Parse("3 `a` `b`\n4 `开放\n6 `a` `b\n7 `x`y`z`\n", number);
        EXPECT_EQ(table_.Lookup(u"3").GetBase(), u"3");  // every column closed: none left for it
        EXPECT_EQ(table_.Lookup(u"4").GetBase(), u"开放");
        EXPECT_EQ(table_.Lookup(u"6").GetBase(), u"b");
        EXPECT_EQ(table_.Lookup(u"7").GetBase(), u"7");
    }
    EXPECT_LT(static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC, 1.0);
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(TextLanguage, ProcessTableLoadsFromTheWorkingFolder) {
    folder_.Write("Bin/config.ini", "[version]\nlanguage =2\n");
    Write("39 `欢迎` `Welcome`\n");
    vantor_test::WorkingFolderScope here(folder_.path());
    vantor::LoadProcessLanguageTable();
    EXPECT_EQ(GetLanStr(u"39").GetBase(), u"Welcome");
    EXPECT_EQ(GetLanStr(u"40").GetBase(), u"40");
    vantor::ProcessLanguageTable().Clear();
}

// The shipped table: every key the programs use, in both languages, no duplicates, and the
// format directives its users fill in.
TEST_F(TextLanguage, ShippedTableIsComplete) {
    const char* fromEnvironment = std::getenv("VANTOR_SOURCE_DIR");
    const std::filesystem::path source =
        fromEnvironment != nullptr
            ? std::filesystem::path(fromEnvironment)
            : std::filesystem::path(__FILE__).parent_path().parent_path().parent_path();
    setenv("VANTOR_CODEPAGE", "UTF-8", 1);
    const auto file = source / "resources" / "install" / "Bin" / "language.txt";
    std::set<std::u16string> keys;
    for (int k = 1; k <= 31; ++k) {
        keys.insert(vantor::Utf8ToWide(std::to_string(k)));
    }
    for (int k : {34, 36, 39, 40, 41, 42}) {
        keys.insert(vantor::Utf8ToWide(std::to_string(k)));
    }
    for (int k = 44; k <= 58; ++k) {
        keys.insert(vantor::Utf8ToWide(std::to_string(k)));
    }
    for (int k = 60; k <= 62; ++k) {
        keys.insert(vantor::Utf8ToWide(std::to_string(k)));
    }
    for (int language : {1, 2}) {
        vantor::LanguageTable table;
        ASSERT_TRUE(table.Load(vantor::FromNativePath(file.string()), language));
        EXPECT_TRUE(boxes_.Boxes().empty()) << "duplicate keys";
        for (const auto& key : keys) {
            EXPECT_NE(table.Lookup(key.c_str()).GetBase(), key) << "language " << language << " lacks a key";
        }
        auto count = [](const tstring& text, const char16_t* directive) {
            int n = 0;
            for (int at = text.Find(directive); at >= 0; at = text.Find(directive, at + 1)) {
                ++n;
            }
            return n;
        };
        EXPECT_EQ(count(table.Lookup(u"16"), u"%s"), 1);
        EXPECT_EQ(count(table.Lookup(u"17"), u"%s"), 1);
        EXPECT_EQ(count(table.Lookup(u"53"), u"%d"), 6);
        EXPECT_EQ(count(table.Lookup(u"53"), u"%s"), 0);
        std::set<std::u16string> levels;
        for (int k = 23; k <= 30; ++k) {
            const std::u16string level =
                table.Lookup(vantor::Utf8ToWide(std::to_string(k)).c_str()).GetBase();
            EXPECT_EQ(level.find_first_of(u"\\/:*?\"<>|"), std::u16string::npos)
                << "a level name is a folder name";
            levels.insert(level);
        }
        EXPECT_EQ(levels.size(), 8u) << "the eight prize levels need distinct names";
    }
}

}  // namespace
