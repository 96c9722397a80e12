#pragma once
// An owned POSIX file descriptor, the file handle of CFileBase. Copying duplicates the descriptor
// (as a handle duplicated within the process); a handle created "delete on close" removes its file
// when the last copy closes.
#include <memory>
#include <string>

namespace _FILE {

class FileHandle {
  public:
    FileHandle() = default;
    explicit FileHandle(int fd, std::string deleteOnClosePath = {});
    ~FileHandle();
    FileHandle(const FileHandle& other);
    FileHandle& operator=(const FileHandle& other);
    FileHandle(FileHandle&& other) noexcept;
    FileHandle& operator=(FileHandle&& other) noexcept;

    bool IsValid() const { return fd_ >= 0; }
    explicit operator bool() const { return IsValid(); }
    int Descriptor() const { return fd_; }
    // Closes the descriptor now; returns false when the close reported an error.
    bool Close();

  private:
    struct DeleteOnClose;
    int fd_ = -1;
    std::shared_ptr<DeleteOnClose> deleteOnClose_;  // shared by every duplicate of the handle
};

}  // namespace _FILE
