#include <gtest/gtest.h>
#include <unistd.h>

#include <QString>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "files/file_base.h"
#include "platform/message_box.h"
#include "platform/native_path.h"
#include "test_folder.h"

namespace {

using _FILE::CFileBase;

class FilesFileBase : public ::testing::Test {
  protected:
    FilesFileBase() : boxes_scope_(boxes_) {}
    void TearDown() override { CFileBase::SetFileDialogRunner({}); }

    // Writes a file below the test folder and returns its logic path.
    tstring Write(const std::string& relative, const std::string& bytes) {
        return vantor::FromNativePath(folder_.Write(relative, bytes).string());
    }
    tstring Logic(const std::string& relative) const {
        return vantor::FromNativePath((folder_.path() / relative).string());
    }
    bool Exists(const std::string& relative) const {
        return std::filesystem::exists(folder_.path() / relative);
    }

    vantor_test::TestFolder folder_;
    vantor::RecordingMessageBoxes boxes_;
    vantor::ScopedMessageBoxService boxes_scope_;
};

TEST_F(FilesFileBase, PathDissection) {
    CFileBase file(u"C:\\a\\b.c.txt");
    EXPECT_EQ(file.GetFileName().GetBase(), u"b");
    EXPECT_EQ(file.GetFileNameWithOutSuffix().GetBase(), u"C:\\a\\b.c");
    EXPECT_EQ(file.GetSuffix().GetBase(), u"txt");
    EXPECT_EQ(file.GetFileFolder().GetBase(), u"C:\\a\\");
    EXPECT_EQ(file.IsFullPath(), 1);

    CFileBase hidden(u".profile");
    EXPECT_TRUE(hidden.GetSuffix().IsEmpty());
    EXPECT_EQ(hidden.IsHasSuffix(), 0);
    EXPECT_EQ(hidden.GetFileNameWithOutSuffix().GetBase(), u".profile");

    EXPECT_EQ(CFileBase(u".\\SetInfo.ini").IsFullPath(), 0);
    EXPECT_EQ(CFileBase(u"\\home\\ann\\x.ini").IsFullPath(), 1);
    EXPECT_EQ(CFileBase(u"plain").GetFileFolder(), vantor::ProgramFolder());
    EXPECT_EQ(CFileBase::GetFullPathInExeDir(u"Bin\\config.ini"),
              vantor::ProgramFolder() + u"Bin\\config.ini");
    for (const char16_t* name : {u"a.ini", u"a.INI", u"a.Ini"}) {
        EXPECT_EQ(CFileBase(name).IsSuffix(u"INI"), 1) << std::string(name, name + 5);
    }
    EXPECT_EQ(CFileBase(u"a.iNi").IsSuffix(u"INI"), 1);
    EXPECT_EQ(CFileBase(u"a.txt").IsSuffix(u"INI"), 0);

    CFileBase moved;
    EXPECT_TRUE(moved.SetPath(u"x").IsEmpty());
    EXPECT_EQ(moved.SetPath(u"y").GetBase(), u"x");
}

TEST_F(FilesFileBase, ExistenceMeansReadableFile) {
    const tstring path = Write("a.txt", "hello");
    EXPECT_EQ(CFileBase::CheckFileExist(path), 1);
    EXPECT_EQ(CFileBase::CheckFileExist(Logic("")), 0);  // a folder is not a file
    EXPECT_EQ(CFileBase::CheckFileExist(Logic("none.txt")), 0);
    EXPECT_EQ(CFileBase(path).GetFileSize(), 5u);
    EXPECT_EQ(CFileBase(Logic("none.txt")).GetFileSize(), 0u);
}

TEST_F(FilesFileBase, CopyCutRenameDelete) {
    CFileBase file(Write("a.txt", "one"));
    Write("b.txt", "old");
    EXPECT_EQ(file.Copy(Logic("b.txt")), 1);  // overwrites
    EXPECT_EQ(folder_.Read("b.txt"), "one");
    EXPECT_EQ(file.Rename(Logic("b.txt")), 0);  // a rename never replaces a file
    EXPECT_EQ(file.Rename(Logic("c.txt")), 1);
    EXPECT_EQ(file.GetPath(), Logic("c.txt"));
    EXPECT_FALSE(Exists("a.txt"));
    EXPECT_EQ(file.Cut(Logic("d.txt")), 1);
    EXPECT_FALSE(Exists("c.txt"));
    EXPECT_EQ(folder_.Read("d.txt"), "one");
    CFileBase d(Logic("d.txt"));
    EXPECT_EQ(d.Delete(), 1);
    EXPECT_EQ(d.Delete(), 0);
    EXPECT_EQ(d.Copy(Logic("e.txt")), 0);
}

TEST_F(FilesFileBase, AttributesMapToPermissionsAndTheHiddenList) {
    CFileBase file(Write("pic.jpg", "x"));
    EXPECT_EQ(file.GetAttribute(), _FILE::kAttributeNormal);
    EXPECT_EQ(file.SetFileReadOnly(), 1);
    struct stat info {};
    ::stat((folder_.path() / "pic.jpg").c_str(), &info);
    EXPECT_EQ(info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH), 0u);
    EXPECT_EQ(file.GetAttribute(), _FILE::kAttributeReadOnly);

    EXPECT_EQ(file.SetFileHidden(), 1);  // hidden only: writable again, name listed
    EXPECT_EQ(file.GetAttribute(), _FILE::kAttributeHidden);
    EXPECT_EQ(folder_.Read(".hidden"), "pic.jpg\n");
    EXPECT_TRUE(Exists("pic.jpg"));

    EXPECT_EQ(file.SetAttribute(_FILE::kAttributeHidden | _FILE::kAttributeReadOnly), 1);
    EXPECT_EQ(file.GetAttribute(), _FILE::kAttributeHidden | _FILE::kAttributeReadOnly);
    EXPECT_EQ(file.SetAttribute(_FILE::kAttributeNormal), 1);
    EXPECT_EQ(file.GetAttribute(), _FILE::kAttributeNormal);
    EXPECT_FALSE(Exists(".hidden"));
    EXPECT_EQ(CFileBase(Logic("none")).SetFileHidden(), 0);
}

TEST_F(FilesFileBase, CreateAndWriteString) {
    CFileBase file(Logic("new.txt"));
    EXPECT_EQ(CFileBase::CreateFileW(nullptr), 0);
    EXPECT_EQ(file.CreateFileW(), 1);
    EXPECT_EQ(file.CreateFileW(), 0);  // already there
    setenv("VANTOR_CODEPAGE", "GBK", 1);
    EXPECT_EQ(file.WriteString(u"张三", 0), 1);
    EXPECT_EQ(file.WriteString(u"#8", 1), 1);
    unsetenv("VANTOR_CODEPAGE");
    EXPECT_EQ(folder_.Read("new.txt"), "\xD5\xC5\xC8\xFD#8");
    EXPECT_EQ(file.WriteString(nullptr, 0), 0);
    EXPECT_EQ(folder_.Read("new.txt"), "\xD5\xC5\xC8\xFD#8");
    EXPECT_EQ(file.WriteString(u"", 0), 1);
    EXPECT_EQ(folder_.Read("new.txt"), "");
}

TEST_F(FilesFileBase, HandleReadWriteSeekAndSize) {
    CFileBase file(Write("data.bin", "0123456789"));
    char buffer[4] = {};
    EXPECT_EQ(file.Read(buffer, 4), 0u);  // no handle yet
    file.Open();
    EXPECT_EQ(file.Read(buffer, 4), 4u);
    EXPECT_EQ(std::string(buffer, 4), "0123");
    EXPECT_EQ(file.GetFilePointer(), 4);
    EXPECT_EQ(file.SetFilePointer(-2, _FILE::kFileEnd), 8);
    EXPECT_EQ(file.Write("XY", 2), 2u);
    EXPECT_EQ(file.Flush(), 1);
    EXPECT_EQ(file.Read(buffer, 0), 0u);
    EXPECT_EQ(file.Read(nullptr, 4), 0u);

    _FILE::FileHandle duplicate;
    EXPECT_EQ(CFileBase::DuplicateHandle(file.Handle(), duplicate), 1);
    file.Close();
    EXPECT_EQ(file.Flush(), 0);
    EXPECT_EQ(::lseek(duplicate.Descriptor(), 0, SEEK_SET), 0);  // the duplicate outlives the original
    EXPECT_EQ(CFileBase::Read(duplicate, buffer, 4), 4u);
    CFileBase::Close(duplicate);
    EXPECT_FALSE(duplicate.IsValid());
    EXPECT_EQ(folder_.Read("data.bin"), "01234567XY");

    EXPECT_EQ(file.SetFileSize(3), 1);
    EXPECT_EQ(folder_.Read("data.bin"), "012");
    EXPECT_FALSE(file.Handle().IsValid());
    EXPECT_EQ(CFileBase(Logic("none")).SetFileSize(3), 0);
}

TEST_F(FilesFileBase, OpenRaisesWhenAReadableFileCannotBeOpened) {
    // A program file that is running cannot be opened for writing, whatever the rights (root too).
    const std::string running = std::filesystem::read_symlink("/proc/self/exe").string();
    ASSERT_EQ(::access(running.c_str(), R_OK), 0);
    CFileBase file(vantor::FromNativePath(running));
    EXPECT_THROW(file.Open(), _FILE::FileOpenError);
    EXPECT_FALSE(CFileBase::Open(vantor::FromNativePath(running)).IsValid());
    CFileBase missing(Logic("none"));
    EXPECT_NO_THROW(missing.Open());  // nothing to open is not an error
}

TEST_F(FilesFileBase, TemporaryFilesGoWhenTheirLastHandleCloses) {
    CFileBase file(Logic("scratch.tmp"));
    EXPECT_EQ(file.CreateTemporaryFile(), 1);
    EXPECT_TRUE(Exists("scratch.tmp"));
    EXPECT_EQ(file.Write("abc", 3), 3u);
    _FILE::FileHandle copy;
    CFileBase::DuplicateHandle(file.Handle(), copy);
    file.Close();
    EXPECT_TRUE(Exists("scratch.tmp"));
    copy.Close();
    EXPECT_FALSE(Exists("scratch.tmp"));
    EXPECT_FALSE(CFileBase::CreateTemporaryFile(Logic("no/such/folder/x")).IsValid());
}

TEST_F(FilesFileBase, EncryptAndUnEncryptRoundTrip) {
    std::string content;
    for (int i = 0; i < 3000; ++i) {
        content.push_back(static_cast<char>(i * 7));
    }
    CFileBase file(Write("sub/photo.jpg", content));
    EXPECT_EQ(file.Encrypt(), 1);
    const std::string scrambled = folder_.Read("sub/photo.jpg");
    ASSERT_EQ(scrambled.size(), content.size() + 1024);
    EXPECT_EQ(scrambled.substr(0, 1024), std::string(1024, static_cast<char>(CFileBase::kScrambleKey)));
    // Byte j of every block is mixed with (key + 3 j) mod 20; the sequence restarts per block.
    for (std::size_t at : {0u, 1u, 19u, 1023u, 1024u, 2999u}) {
        const auto j = at % 1024;
        EXPECT_EQ(static_cast<unsigned char>(scrambled[1024 + at]),
                  static_cast<unsigned char>(content[at] ^ ((CFileBase::kScrambleKey + 3 * j) % 20)))
            << at;
    }
    EXPECT_EQ(file.Encrypt(), 0);
    EXPECT_EQ(folder_.Read("sub/photo.jpg"), scrambled);
    EXPECT_EQ(file.UnEncrypt(), 1);
    EXPECT_EQ(folder_.Read("sub/photo.jpg"), content);
    EXPECT_EQ(file.UnEncrypt(), 0);
    EXPECT_EQ(boxes_.Texts(), (std::vector<tstring>{u"文件已经加密", u"非本程序加密文件"}));
    EXPECT_EQ(boxes_.Boxes()[0].caption, u"友情提示");
    EXPECT_FALSE(Exists("sub/临时photo.jpg"));
}

TEST_F(FilesFileBase, EncryptOfAnEmptyFileLeavesTheMarkerOnly) {
    CFileBase file(Write("empty.dat", ""));
    EXPECT_EQ(file.Encrypt(), 1);
    EXPECT_EQ(folder_.Read("empty.dat"), std::string(1024, static_cast<char>(CFileBase::kScrambleKey)));
    EXPECT_EQ(file.UnEncrypt(), 1);
    EXPECT_EQ(folder_.Read("empty.dat"), "");

    CFileBase missing(Logic("none.dat"));
    EXPECT_EQ(missing.Encrypt(), 0);
    EXPECT_EQ(missing.UnEncrypt(), 0);
    EXPECT_EQ(boxes_.Texts(), (std::vector<tstring>{u"文件不存在"}));
    EXPECT_EQ(boxes_.Boxes()[0].caption, u"");
}

TEST_F(FilesFileBase, DialogFilterAndChoice) {
    EXPECT_EQ(CFileBase::BuildDialogFilter(u"jpg;png|*").GetBase(),
              u"( 打开扩展名为 jpg;png 的文件)|*.jpg;*.png|所有文件(*.*)|*.*|");
    std::u16string many;
    for (int i = 0; i < 100; ++i) {
        many += u"ext" + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)) + u"|";
    }
    const tstring cut = CFileBase::BuildDialogFilter(tstring(many));
    EXPECT_LE(cut.GetLength(), CFileBase::kMaxFilterLength);
    EXPECT_EQ(cut.GetBase().back(), u'|');

    _FILE::FileDialogRequest seen;
    CFileBase::SetFileDialogRunner([&seen, this](const _FILE::FileDialogRequest& request) {
        seen = request;
        return std::optional<tstring>(Logic("chosen.jpg"));
    });
    CFileBase file;
    EXPECT_EQ(file.GetPathFromFileDialog(u"jpg|*", u"选择照片", u"jpg", u"Storage"), 1);
    EXPECT_EQ(file.GetPath(), Logic("chosen.jpg"));
    EXPECT_EQ(seen.title, u"选择照片");
    EXPECT_EQ(seen.initialFolder, u"Storage");
    EXPECT_EQ(seen.nameFilters, (QStringList{QStringLiteral("( 打开扩展名为 jpg 的文件) (*.jpg)"),
                                             QStringLiteral("所有文件(*.*) (*)")}));

    CFileBase::SetFileDialogRunner([](const _FILE::FileDialogRequest&) { return std::optional<tstring>(); });
    EXPECT_EQ(file.GetPathFromFileDialog(u"jpg", u"t", u"jpg", nullptr), 0);
    EXPECT_EQ(file.GetPath(), Logic("chosen.jpg"));
}

TEST_F(FilesFileBase, ShellLinksResolveToTheirTarget) {
    const auto target = folder_.Write("Travenor", "#!/bin/sh\n");
    std::filesystem::create_symlink("Travenor", folder_.path() / "station.lnk");
    folder_.Write("station.desktop",
                  "[Desktop Entry]\nType=Application\nExec=\"" + target.string() + "\" --x\n");
    char16_t resolved[CFileBase::kMaxLinkPath] = {};
    EXPECT_EQ(CFileBase(Logic("station.lnk")).ResoleShellLink(resolved), 1);
    EXPECT_EQ(std::u16string(resolved), Logic("Travenor").GetBase());
    EXPECT_EQ(CFileBase(Logic("station.desktop")).ResoleShellLink(resolved), 1);
    EXPECT_EQ(std::u16string(resolved), Logic("Travenor").GetBase());

    folder_.Write("broken.lnk", "not a link");
    CFileBase broken(Logic("broken.lnk"));
    EXPECT_EQ(broken.ResoleShellLink(resolved), 0);
    EXPECT_TRUE(broken.GetFileIcon(1).isNull());
    EXPECT_EQ(boxes_.Texts(), (std::vector<tstring>{u"从Link解析EXE出错"}));
    EXPECT_TRUE(CFileBase(u"noSuffix").GetFileIcon(0).isNull());
    // Files of a type need not exist to get its icon; a link shows its target's icon.
    EXPECT_FALSE(CFileBase(Logic("never-written.txt")).GetFileIcon(0).isNull());
    const QIcon large = CFileBase(Logic("station.lnk")).GetFileIcon(1);
    ASSERT_FALSE(large.isNull());
    EXPECT_EQ(large.availableSizes().value(0).width(), 32);
}

TEST_F(FilesFileBase, ChangeStringToTStringRepairsBytePerUnitText) {
    setenv("VANTOR_CODEPAGE", "GBK", 1);
    QString text;
    for (unsigned char byte : std::string("\xD5\xC5\xC8\xFD zs")) {
        text.append(QChar(byte));
    }
    CFileBase::ChangeStringToTString(text);
    unsetenv("VANTOR_CODEPAGE");
    EXPECT_EQ(text, QStringLiteral("张三 zs"));
}

}  // namespace
