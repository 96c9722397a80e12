// CFileBase: path dissection, existence, copy/move/rename/delete, simple writing and the handle.
#include "files/file_base.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

#include "files/hidden_list.h"
#include "platform/native_path.h"

namespace _FILE {
namespace {

std::string Native(const tstring& path) {
    return vantor::ToNativePath(path);
}

bool IsReadable(const tstring& path) {
    if (path.IsEmpty()) {
        return false;
    }
    const std::string native = Native(path);
    struct stat info {};
    return ::stat(native.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(native.c_str(), R_OK) == 0;
}

int OpenForReadWrite(const tstring& path) {
    return ::open(Native(path).c_str(), O_RDWR | O_CLOEXEC);
}

}  // namespace

CFileBase::CFileBase() = default;
CFileBase::CFileBase(const tstring& path) : path_(path) {}
CFileBase::CFileBase(const CFileBase& other) = default;
CFileBase& CFileBase::operator=(const CFileBase& other) = default;
CFileBase::CFileBase(CFileBase&& other) noexcept = default;
CFileBase& CFileBase::operator=(CFileBase&& other) noexcept = default;
CFileBase::~CFileBase() = default;

tstring CFileBase::SetPath(const tstring& path) {
    return std::exchange(path_, path);
}

int CFileBase::IsFullPath() const {
    const int slash = path_.Find(u'\\');
    return slash >= 0 && slash != 1 ? 1 : 0;
}

int CFileBase::IsHasSuffix() const {
    return path_.ReFind(u'.') > 0 ? 1 : 0;
}

tstring CFileBase::GetSuffix() const {
    const int dot = path_.ReFind(u'.');
    return dot > 0 ? path_.Mid(dot + 1) : tstring();
}

int CFileBase::IsSuffix(const tstring& suffix) const {
    tstring upper = GetSuffix();
    tstring lower = upper;
    return upper.MakeUpper() == suffix || lower.MakeLower() == suffix ? 1 : 0;
}

tstring CFileBase::GetFileName() const {
    const int slash = path_.ReFind(u'\\');
    if (slash < 0) {
        return path_;
    }
    tstring name = path_.Mid(slash + 1);
    const int dot = name.Find(u'.');
    return dot >= 0 ? name.Left(dot) : name;
}

tstring CFileBase::GetFileNameWithOutSuffix() const {
    return IsHasSuffix() ? path_.Left(path_.ReFind(u'.')) : path_;
}

tstring CFileBase::GetFileFolder() const {
    const int slash = path_.ReFind(u'\\');
    return slash >= 0 ? path_.Left(slash + 1) : vantor::ProgramFolder();
}

int CFileBase::IsFileExist() const {
    return CheckFileExist(path_);
}

int CFileBase::CheckFileExist(const tstring& path) {
    return IsReadable(path) ? 1 : 0;
}

tstring CFileBase::GetFullPathInExeDir(const tstring& name) {
    return vantor::ProgramFolder() + name;
}

int CFileBase::Delete() {
    if (!IsFileExist()) {
        return 0;
    }
    return ::unlink(Native(path_).c_str()) == 0 ? 1 : 0;
}

int CFileBase::Copy(const tstring& newPath) {
    if (!IsFileExist() || newPath.IsEmpty()) {
        return 0;
    }
    std::error_code ec;
    std::filesystem::copy_file(Native(path_), Native(newPath),
                               std::filesystem::copy_options::overwrite_existing, ec);
    return ec ? 0 : 1;
}

int CFileBase::Cut(const tstring& newPath) {
    if (!Copy(newPath)) {
        return 0;
    }
    return ::unlink(Native(path_).c_str()) == 0 ? 1 : 0;
}

int CFileBase::Rename(const tstring& newPath) {
    if (!IsFileExist() || newPath.IsEmpty()) {
        return 0;
    }
    // Like the platform's move, a rename never replaces an existing file.
    const std::string from = Native(path_);
    const std::string to = Native(newPath);
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0) {
        if (errno != EINVAL && errno != ENOSYS) {
            return 0;
        }
        struct stat info {};
        if (::lstat(to.c_str(), &info) == 0 || ::rename(from.c_str(), to.c_str()) != 0) {
            return 0;
        }
    }
    path_ = newPath;
    return 1;
}

int CFileBase::SetFileHidden() {
    return SetAttribute(kAttributeHidden);
}

int CFileBase::SetFileReadOnly() {
    return SetAttribute(kAttributeReadOnly);
}

int CFileBase::SetAttribute(unsigned attributes) {
    if (!IsFileExist()) {
        return 0;
    }
    const std::string native = Native(path_);
    struct stat info {};
    if (::stat(native.c_str(), &info) != 0) {
        return 0;
    }
    mode_t mode = info.st_mode & 07777;
    if (attributes & kAttributeReadOnly) {
        mode &= static_cast<mode_t>(~(S_IWUSR | S_IWGRP | S_IWOTH));
    } else {
        mode |= S_IWUSR;  // writable again for the owner; group and others keep what the umask gave
    }
    if (::chmod(native.c_str(), mode) != 0) {
        return 0;
    }
    return SetHiddenInFolder(native, (attributes & kAttributeHidden) != 0) ? 1 : 0;
}

unsigned CFileBase::GetAttribute() const {
    const std::string native = Native(path_);
    struct stat info {};
    if (::stat(native.c_str(), &info) != 0) {
        return 0;
    }
    unsigned attributes = 0;
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        attributes |= kAttributeReadOnly;
    }
    if (IsHiddenInFolder(native)) {
        attributes |= kAttributeHidden;
    }
    return attributes == 0 ? kAttributeNormal : attributes;
}

int CFileBase::CreateFileW(const char16_t* path) {
    if (path == nullptr || CheckFileExist(path)) {
        return 0;
    }
    FileHandle file(::open(Native(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    return file.IsValid() && file.Close() ? 1 : 0;
}

int CFileBase::CreateFileW() {
    return CreateFileW(path_.Data());
}

int CFileBase::WriteString(const char16_t* text, int append) {
    if (text == nullptr || path_.IsEmpty()) {
        return 0;
    }
    const auto narrow = tstring::ToMultiByte(text);
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (append ? O_APPEND : O_TRUNC);
    FileHandle file(::open(Native(path_).c_str(), flags, 0666));
    if (!file) {
        return 0;
    }
    const unsigned long length =
        narrow ? static_cast<unsigned long>(std::char_traits<char>::length(narrow.get())) : 0;
    const bool written = length == 0 || Write(file, narrow.get(), length) == length;
    return file.Close() && written ? 1 : 0;
}

std::uint32_t CFileBase::GetFileSize() const {
    struct stat info {};
    if (path_.IsEmpty() || ::stat(Native(path_).c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return 0;
    }
    return static_cast<std::uint32_t>(info.st_size);  // the low 32 bits, as the 32-bit query gives
}

void CFileBase::Open() {
    if (handle_ || !IsFileExist()) {
        return;
    }
    FileHandle file(OpenForReadWrite(path_));
    if (!file) {
        throw FileOpenError();
    }
    handle_ = std::move(file);
}

FileHandle CFileBase::Open(const tstring& path) {
    if (!CheckFileExist(path)) {
        return FileHandle();
    }
    return FileHandle(OpenForReadWrite(path));
}

int CFileBase::CreateTemporaryFile() {
    handle_ = CreateTemporaryFile(path_);
    return handle_ ? 1 : 0;
}

FileHandle CFileBase::CreateTemporaryFile(const tstring& path) {
    if (path.IsEmpty()) {
        return FileHandle();
    }
    const std::string native = Native(path);
    const int fd = ::open(native.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    return fd < 0 ? FileHandle() : FileHandle(fd, native);
}

unsigned long CFileBase::Read(void* buffer, unsigned long count) {
    return Read(handle_, buffer, count);
}

unsigned long CFileBase::Write(const void* buffer, unsigned long count) {
    return Write(handle_, buffer, count);
}

unsigned long CFileBase::Read(const FileHandle& handle, void* buffer, unsigned long count) {
    if (!handle || buffer == nullptr || count == 0) {
        return 0;
    }
    unsigned long done = 0;
    while (done < count) {
        const ssize_t n = ::read(handle.Descriptor(), static_cast<char*>(buffer) + done, count - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return 0;
        }
        if (n == 0) {
            break;
        }
        done += static_cast<unsigned long>(n);
    }
    return done;
}

unsigned long CFileBase::Write(const FileHandle& handle, const void* buffer, unsigned long count) {
    if (!handle || buffer == nullptr || count == 0) {
        return 0;
    }
    unsigned long done = 0;
    while (done < count) {
        const ssize_t n = ::write(handle.Descriptor(), static_cast<const char*>(buffer) + done, count - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return 0;
        }
        done += static_cast<unsigned long>(n);
    }
    return done;
}

std::int64_t CFileBase::SetFilePointer(std::int64_t distance, int moveMethod) {
    static const int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    if (!handle_ || moveMethod < kFileBegin || moveMethod > kFileEnd) {
        return -1;
    }
    return ::lseek(handle_.Descriptor(), static_cast<off_t>(distance), kWhence[moveMethod]);
}

std::int64_t CFileBase::GetFilePointer() const {
    return handle_ ? ::lseek(handle_.Descriptor(), 0, SEEK_CUR) : -1;
}

int CFileBase::SetFileSize(std::int64_t size) {
    try {
        Open();
    } catch (const FileOpenError&) {
        return 0;
    }
    if (!handle_) {
        return 0;
    }
    const off_t end = ::lseek(handle_.Descriptor(), static_cast<off_t>(size), SEEK_CUR);
    const bool cut = end >= 0 && ::ftruncate(handle_.Descriptor(), end) == 0;
    Close();
    return cut ? 1 : 0;
}

int CFileBase::Flush() {
    return handle_ && ::fsync(handle_.Descriptor()) == 0 ? 1 : 0;
}

void CFileBase::Close() {
    handle_.Close();
}

void CFileBase::Close(FileHandle& handle) {
    handle.Close();
}

int CFileBase::DuplicateHandle(const FileHandle& source, FileHandle& target) {
    if (!source) {
        return 0;
    }
    target = source;
    return target ? 1 : 0;
}

}  // namespace _FILE
