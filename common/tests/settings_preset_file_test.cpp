// The preset-winner file: the exact text the management dialog leaves, the level names read back
// in UTF-8 and in GBK, a full disk in the middle of the write, and files no program wrote.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "file_size_limit.h"
#include "text/narrow_text.h"
#include "platform/native_path.h"
#include "settings/preset_file.h"
#include "test_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using vantor::settings::PresetEntry;

const std::vector<PresetEntry> kThree{
    {u"9-5-7.jpg", u"一等奖"}, {u"10-0-1.jpg", u"特等奖"}, {u"1-2-3.jpg", u"一等奖"}};

class PresetFile : public ::testing::Test {
  protected:
    void TearDown() override { unsetenv("VANTOR_CODEPAGE"); }

    std::vector<fs::path> FolderContent() const {
        std::vector<fs::path> names;
        for (const auto& entry : fs::directory_iterator(folder_.path())) {
            names.push_back(entry.path().filename());
        }
        return names;
    }

    vantor_test::TestFolder folder_;
    vantor_test::WorkingFolderScope scope_{folder_.path()};
};

bool SameEntries(const std::vector<PresetEntry>& a, const std::vector<PresetEntry>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!(a[i].file == b[i].file) || !(a[i].level == b[i].level)) {
            return false;
        }
    }
    return true;
}

TEST_F(PresetFile, WritesTheHeaderAndOneLinePerEntryAndReadsThemBackInOrder) {
    folder_.Write("SetInfo.ini", "[CheatInfo]\nold.jpg=三等奖\n");
    ASSERT_TRUE(vantor::settings::WritePresetEntries(kThree));
    EXPECT_EQ(folder_.Read("SetInfo.ini"),
              "[CheatInfo]\n9-5-7.jpg=一等奖\n10-0-1.jpg=特等奖\n1-2-3.jpg=一等奖\n");
    EXPECT_TRUE(SameEntries(vantor::settings::ReadPresetEntries(), kThree));
    EXPECT_EQ(FolderContent(), std::vector<fs::path>{"SetInfo.ini"}) << "a scratch file was left behind";

    // No entries: the header alone, without a line end.
    ASSERT_TRUE(vantor::settings::WritePresetEntries({}));
    EXPECT_EQ(folder_.Read("SetInfo.ini"), "[CheatInfo]");
    EXPECT_TRUE(vantor::settings::ReadPresetEntries().empty());
}

TEST_F(PresetFile, LevelNamesComeBackExactlyInTheGbkCodePage) {
    setenv("VANTOR_CODEPAGE", "GBK", 1);
    ASSERT_TRUE(vantor::settings::WritePresetEntries(kThree));
    // 一等奖 and 特等奖 in GBK.
    EXPECT_EQ(folder_.Read("SetInfo.ini"),
              "[CheatInfo]\n9-5-7.jpg=\xD2\xBB\xB5\xC8\xBD\xB1\n"
              "10-0-1.jpg=\xCC\xD8\xB5\xC8\xBD\xB1\n1-2-3.jpg=\xD2\xBB\xB5\xC8\xBD\xB1\n");
    EXPECT_TRUE(SameEntries(vantor::settings::ReadPresetEntries(), kThree));
}

TEST_F(PresetFile, AFullDiskInTheMiddleOfTheWriteLeavesTheOldFileWhole) {
    ASSERT_TRUE(vantor::settings::WritePresetEntries(kThree));
    const std::string before = folder_.Read("SetInfo.ini");
    std::vector<PresetEntry> many;
    for (int i = 0; i < 200; ++i) {
        many.push_back({tstring(u"guest-") + tstring(std::to_string(i).c_str()) + u".jpg", u"幸运奖"});
    }
    {
        // Room for the header and some lines, not for all of them.
        const vantor_test::FileSizeLimit disk(before.size() + 300);
        EXPECT_FALSE(vantor::settings::WritePresetEntries(many));
    }
    EXPECT_EQ(folder_.Read("SetInfo.ini"), before);
    EXPECT_EQ(FolderContent(), std::vector<fs::path>{"SetInfo.ini"}) << "a scratch file was left behind";
}

TEST_F(PresetFile, FilesNoProgramWroteReadAsWellAsTheyCan) {
    // Missing: nothing, and no message about it.
    EXPECT_TRUE(vantor::settings::ReadPresetEntries().empty());

    // Duplicate keys read the first value; a line without "=" is no entry; other sections are not
    // presets.
    folder_.Write("SetInfo.ini",
                  "[Other]\nx.jpg=一等奖\n[CheatInfo]\r\na.jpg=二等奖\r\nno equals sign\r\n"
                  "a.jpg=三等奖\r\nb.jpg=幸运奖\r\n");
    const std::vector<PresetEntry> read = vantor::settings::ReadPresetEntries();
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(read[0].file, u"a.jpg");
    EXPECT_EQ(read[0].level, u"二等奖");
    EXPECT_EQ(read[1].level, u"二等奖");
    EXPECT_EQ(read[2].file, u"b.jpg");

    // Binary garbage: whatever it yields, the read ends and every entry is a plain string.
    std::string garbage = "[CheatInfo]\n";
    for (int i = 0; i < 4096; ++i) {
        garbage.push_back(static_cast<char>((i * 7919) % 256));
    }
    folder_.Write("SetInfo.ini", garbage);
    for (const PresetEntry& entry : vantor::settings::ReadPresetEntries()) {
        EXPECT_LT(entry.file.GetBase().size(), 4096u);
    }
}

// Names the file cannot keep are refused up front; every name it accepts reads back as itself.
TEST_F(PresetFile, ANameIsAcceptedExactlyWhenItReadsBackAsItself) {
    const std::vector<tstring> refused{u"a=b.jpg",
                                       u";x.jpg",
                                       u"[x].jpg",
                                       u" a.jpg",
                                       u"a.jpg ",
                                       u"\ta.jpg",
                                       u"",
                                       tstring(std::u16string(u"a\nb.jpg")),
                                       tstring(std::u16string(u"a\0b.jpg", 7)),
                                       tstring(std::u16string(1, 0xDC81))};
    for (const tstring& name : refused) {
        EXPECT_FALSE(vantor::settings::PresetFileCanHold(name)) << vantor::WideToUtf8(name.GetBase());
    }
    for (const tstring& name : {tstring(u"9-5-7.jpg"), tstring(u"张三 9-5-7.JPG"), tstring(u"x].jpg"),
                                tstring(u"a;b[c].jpg"), tstring(u"'q'.jpg")}) {
        ASSERT_TRUE(vantor::settings::PresetFileCanHold(name)) << vantor::WideToUtf8(name.GetBase());
        ASSERT_TRUE(vantor::settings::WritePresetEntries({{name, u"一等奖"}}));
        const std::vector<PresetEntry> back = vantor::settings::ReadPresetEntries();
        ASSERT_EQ(back.size(), 1u) << vantor::WideToUtf8(name.GetBase());
        EXPECT_EQ(back[0].file, name);
        EXPECT_EQ(back[0].level, u"一等奖");
    }
}

// A damaged file whose line starts with zero bytes yields no phantom entry, and the lines after
// it still read.
TEST_F(PresetFile, LinesWithZeroBytesInTheNameAreIgnored) {
    folder_.Write("SetInfo.ini", "[CheatInfo]\n\0\0\0=一等奖\n\0\0x.jpg=二等奖\na.jpg=三等奖\n"s);
    const std::vector<PresetEntry> entries = vantor::settings::ReadPresetEntries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].file, u"a.jpg");
    EXPECT_EQ(entries[0].level, u"三等奖");
}

}  // namespace
