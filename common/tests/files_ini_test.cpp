#include <gtest/gtest.h>

#include <filesystem>

#include "files/ini.h"
#include "platform/message_box.h"
#include "text/narrow_text.h"
#include "platform/native_path.h"
#include "test_folder.h"

namespace {

// Each test runs in a fresh working folder with the message boxes recorded.
class FilesIni : public ::testing::Test {
  protected:
    FilesIni() : scope_(folder_.path()), boxes_scope_(boxes_) {}

    std::vector<tstring> Texts() const { return boxes_.Texts(); }

    vantor_test::TestFolder folder_;
    vantor_test::WorkingFolderScope scope_;
    vantor::RecordingMessageBoxes boxes_;
    vantor::ScopedMessageBoxService boxes_scope_;
};

TEST_F(FilesIni, OpenChecksTheNameAndReportsEachFault) {
    folder_.Write("Bin/config.ini", "[camera]\nwidth=800\n");
    CIni ini;
    EXPECT_EQ(ini.Open(u""), 0);
    EXPECT_EQ(ini.Open(u"   "), 0);
    EXPECT_EQ(ini.Open(u"config"), 0);
    EXPECT_EQ(ini.Open(u"notes.txt"), 0);
    EXPECT_EQ(ini.Open(u"Bin\\missing.ini"), 0);
    EXPECT_EQ(ini.Open(u"missing.ini"), 0);
    EXPECT_EQ(Texts(), (std::vector<tstring>{u"文件名不能为空", u"文件名不能为空", u"请指定文件名的扩展名",
                                             u"后缀名必须为INF或者INI", u"文件不存在:Bin\\missing.ini",
                                             u"missing.ini文件不存在"}));
    for (const auto& box : boxes_.Boxes()) {
        EXPECT_EQ(box.caption, u"信息提示");
    }
    EXPECT_EQ(std::u16string(ini.GetPath()), u"");  // a failed open leaves it not opened

    EXPECT_EQ(ini.Open(u"  Bin\\config.ini  "), 1);
    EXPECT_EQ(std::u16string(ini.GetPath()), u"Bin\\config.ini");
    EXPECT_EQ(ini.GetIValue(u"camera", u"width"), 800);
}

// Whatever check refuses the new name, nothing of the file opened before stays reachable.
TEST_F(FilesIni, AFailedOpenForgetsTheFileOpenedBefore) {
    folder_.Write("Bin/config.ini", "[camera]\nwidth=800\n");
    for (const char16_t* refused :
         {u"", u"   ", u"config", u"notes.txt", u"Bin\\missing.ini", u"missing.ini"}) {
        CIni ini(u"Bin\\config.ini");
        ASSERT_EQ(ini.GetIValue(u"camera", u"width"), 800);
        SCOPED_TRACE(vantor::WideToUtf8(refused));
        EXPECT_EQ(ini.Open(refused), 0);
        EXPECT_EQ(std::u16string(ini.GetPath()), u"");
        boxes_.Clear();
        EXPECT_EQ(ini.GetIValue(u"camera", u"width"), 0);
        EXPECT_EQ(ini.WriteValue(u"camera", u"width", 640), 0);
        EXPECT_EQ(Texts(), (std::vector<tstring>{u"请先执行Open操作", u"请先执行Open操作"}));
    }
    EXPECT_EQ(folder_.Read("Bin/config.ini"), "[camera]\nwidth=800\n");
}

TEST_F(FilesIni, BareNamesOpenInTheWorkingFolderWithADotFolder) {
    folder_.Write("SetInfo.ini", "[CheatInfo]\n");
    folder_.Write("Upper.Ini", "[a]\n");
    CIni ini(u"SetInfo.ini");
    EXPECT_EQ(std::u16string(ini.GetPath()), u".\\SetInfo.ini");
    EXPECT_EQ(ini.Open(u".\\SetInfo.ini"), 1);
    EXPECT_EQ(std::u16string(ini.GetPath()), u".\\SetInfo.ini");
    EXPECT_EQ(ini.Open(u"Upper.Ini"), 1);
    EXPECT_TRUE(Texts().empty());
}

TEST_F(FilesIni, AbsolutePathsCountAsFolderPaths) {
    const auto file = folder_.Write("abs.ini", "[s]\nk=v\n");
    const tstring logic = vantor::FromNativePath(file.string());
    CIni ini;
    EXPECT_EQ(ini.Open(logic), 1);
    EXPECT_EQ(ini.GetPath(), logic);
    EXPECT_EQ(ini.GetSValue(u"s", u"k").GetBase(), u"v");
    CIni native;  // a native absolute path written with slashes is not a bare name either
    EXPECT_EQ(native.Open(tstring(vantor::Utf8ToWide(file.string()))), 1);
}

TEST_F(FilesIni, ReadsAndWritesNeedAnOpenedObjectAndNames) {
    CIni closed;
    EXPECT_TRUE(closed.GetSValue(u"a", u"b").IsEmpty());
    EXPECT_EQ(closed.WriteValue(u"a", u"b", 1), 0);
    EXPECT_TRUE(closed.GetAllSections().empty());
    folder_.Write("x.ini", "[a]\nb=1\n");
    CIni ini(u"x.ini");
    EXPECT_EQ(ini.GetIValue(u"a", u"   "), 0);
    EXPECT_EQ(ini.WriteValue(u" ", u"b", u"v"), 0);
    EXPECT_EQ(Texts(), (std::vector<tstring>{u"请先执行Open操作", u"请先执行Open操作", u"请先执行Open操作",
                                             u"必须指定AppName和KeyName", u"必须指定AppName和KeyName"}));
    EXPECT_EQ(folder_.Read("x.ini"), "[a]\nb=1\n");
}

TEST_F(FilesIni, ValuesRoundTrip) {
    folder_.Write("Bin/config.ini", "[camera]\nwidth=640\n");
    CIni ini(u"Bin\\config.ini");
    EXPECT_NE(ini.WriteValue(u" camera ", u"width", 1280), 0);
    EXPECT_NE(ini.WriteValue(u"camera", u"height", -720), 0);
    EXPECT_NE(ini.WriteValue(u"CheatInfo", u"1-2-3.jpg", u"一等奖"), 0);
    EXPECT_EQ(ini.GetIValue(u"CAMERA", u"WIDTH"), 1280);
    EXPECT_EQ(ini.GetIValue(u"camera", u"height"), -720);
    EXPECT_EQ(ini.GetSValue(u"cheatinfo", u"1-2-3.jpg").GetBase(), u"一等奖");
    EXPECT_TRUE(ini.GetSValue(u"camera", u"absent").IsEmpty());
    EXPECT_EQ(ini.GetIValue(u"cheatinfo", u"1-2-3.jpg"), 0);
    // At most 259 units of a value come back.
    ini.WriteValue(u"long", u"v", tstring(std::u16string(400, u'x')));
    EXPECT_EQ(ini.GetSValue(u"long", u"v").GetLength(), 259);
}

TEST_F(FilesIni, EnumerationAndLookups) {
    folder_.Write("s.ini", "[Main]\nWidth=1\nheight=2\n[Draw]\n[main]\nextra=3\n");
    CIni ini(u"s.ini");
    EXPECT_EQ(ini.GetAllSections(), (std::vector<tstring>{u"MAIN", u"DRAW"}));
    EXPECT_EQ(ini.GetAllSectionKeys(u"main"), (std::vector<tstring>{u"Width", u"height"}));
    EXPECT_TRUE(ini.GetAllSectionKeys(u"Draw").empty());
    EXPECT_EQ(ini.IsSectionExist(u"main"), 1);
    EXPECT_EQ(ini.IsSectionExist(u"other"), 0);
    EXPECT_EQ(ini.IsKeyExistInSection(u"main", u"Width"), 1);
    EXPECT_EQ(ini.IsKeyExistInSection(u"main", u"width"), 0);  // keys compare exactly
}

TEST_F(FilesIni, ThousandsOfSectionsAreListedCompletely) {
    std::string bytes;
    for (int i = 0; i < 5000; ++i) {
        bytes += "[Section" + std::to_string(i) + "]\n";
    }
    folder_.Write("many.ini", bytes);
    CIni ini(u"many.ini");
    const auto sections = ini.GetAllSections();
    ASSERT_EQ(sections.size(), 5000u);
    EXPECT_EQ(sections.front().GetBase(), u"SECTION0");
    EXPECT_EQ(sections.back().GetBase(), u"SECTION4999");
}

TEST_F(FilesIni, CopiesShareThePathOnly) {
    folder_.Write("c.ini", "[a]\nb=1\n");
    CIni ini(u"c.ini");
    CIni copy = ini;
    EXPECT_EQ(std::u16string(copy.GetPath()), u".\\c.ini");
    EXPECT_EQ(copy.GetIValue(u"a", u"b"), 1);
}

}  // namespace
