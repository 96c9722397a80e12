#pragma once
// CFileBase: one file path with the everyday operations on it. Paths are logic paths (backslash
// text, relative to the working folder or absolute as "\home\ann\x.txt"); they become native
// paths only at the system calls. Results are ordinal: 1 for success, 0 for failure.
//
// Attributes on this platform: read-only means the write permission bits are off; hidden means
// the file's name is listed in the ".hidden" file of its folder, which the desktop's file
// managers and Qt's own file dialogs honour (the file keeps its name).
// Shell links are ".desktop" link files or symbolic links.
#include <QIcon>
#include <QString>
#include <cstdint>
#include <exception>
#include <functional>
#include <optional>

#include "files/file_handle.h"
#include "tarquel_export.h"
#include "text/tstring.h"

namespace _FILE {

// Attribute bits of SetAttribute, with the platform's values.
constexpr unsigned kAttributeReadOnly = 0x1;
constexpr unsigned kAttributeHidden = 0x2;
constexpr unsigned kAttributeNormal = 0x80;

// Move methods of SetFilePointer.
constexpr int kFileBegin = 0;
constexpr int kFileCurrent = 1;
constexpr int kFileEnd = 2;

// Raised by the member Open when an existing, readable file cannot be opened.
class FileOpenError : public std::exception {
  public:
    const char* what() const noexcept override { return "打开文件失败"; }
    const char16_t* Text() const noexcept { return u"打开文件失败"; }
};

// What the open-file dialog is asked to show.
struct FileDialogRequest {
    tstring filter;           // the display|pattern| form built by CFileBase::BuildDialogFilter
    QStringList nameFilters;  // the same filter as Qt name filters
    tstring title;
    tstring defaultExtension;
    tstring initialFolder;  // empty for the working folder
};
// Shows the dialog; the chosen path (logic form) or nothing when the user cancels.
using FileDialogRunner = std::function<std::optional<tstring>(const FileDialogRequest&)>;

class TARQUEL_API CFileBase {
  public:
    static constexpr int kScrambleKey = 7;  // fixed for good: files scrambled by any build read back
    static constexpr int kMarkerSize = 1024;
    static constexpr int kMaxFilterLength = 599;
    static constexpr int kMaxLinkPath = 260;

    CFileBase();
    explicit CFileBase(const tstring& path);
    CFileBase(const CFileBase& other);
    CFileBase& operator=(const CFileBase& other);
    CFileBase(CFileBase&& other) noexcept;
    CFileBase& operator=(CFileBase&& other) noexcept;
    virtual ~CFileBase();

    // Path queries
    tstring SetPath(const tstring& path);
    const char16_t* GetPath() const { return path_.Data(); }
    int IsFullPath() const;
    int IsHasSuffix() const;
    tstring GetSuffix() const;
    int IsSuffix(const tstring& suffix) const;
    tstring GetFileName() const;
    tstring GetFileNameWithOutSuffix() const;
    tstring GetFileFolder() const;
    int IsFileExist() const;
    static int CheckFileExist(const tstring& path);
    static tstring GetFullPathInExeDir(const tstring& name);

    // File operations; each needs the stored file to be readable.
    int Delete();
    int Copy(const tstring& newPath);
    int Cut(const tstring& newPath);
    int Rename(const tstring& newPath);
    int SetFileHidden();
    int SetFileReadOnly();
    int SetAttribute(unsigned attributes);
    // The attribute bits as SetAttribute understands them (kAttributeNormal when none is set).
    unsigned GetAttribute() const;

    // Creation and simple writing
    static int CreateFileW(const char16_t* path);
    int CreateFileW();
    int WriteString(const char16_t* text, int append);
    std::uint32_t GetFileSize() const;

    // Handle operations
    void Open();
    static FileHandle Open(const tstring& path);
    int CreateTemporaryFile();
    static FileHandle CreateTemporaryFile(const tstring& path);
    unsigned long Read(void* buffer, unsigned long count);
    unsigned long Write(const void* buffer, unsigned long count);
    static unsigned long Read(const FileHandle& handle, void* buffer, unsigned long count);
    static unsigned long Write(const FileHandle& handle, const void* buffer, unsigned long count);
    // Returns the new position, -1 on failure.
    std::int64_t SetFilePointer(std::int64_t distance, int moveMethod);
    std::int64_t GetFilePointer() const;
    int SetFileSize(std::int64_t size);
    int Flush();
    void Close();
    static void Close(FileHandle& handle);
    static int DuplicateHandle(const FileHandle& source, FileHandle& target);
    const FileHandle& Handle() const { return handle_; }

    // Dialog and shell
    int GetPathFromFileDialog(const tstring& extensions, const tstring& title,
                              const tstring& defaultExtension, const char16_t* initialFolder);
    static tstring BuildDialogFilter(const tstring& extensions);
    // Replaces the dialog (tests, or a program that wants its own); an empty runner restores Qt's.
    static void SetFileDialogRunner(FileDialogRunner runner);
    QIcon GetFileIcon(int large);
    int ResoleShellLink(char16_t* target);
    static void ChangeStringToTString(QString& text);

    // Scrambling
    int Encrypt();
    int UnEncrypt();

  protected:
    tstring path_;
    int key_ = kScrambleKey;
    FileHandle handle_;
};

}  // namespace _FILE
