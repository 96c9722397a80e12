#include "files/file_handle.h"

#include <fcntl.h>
#include <unistd.h>

#include <utility>

namespace _FILE {

// Removes its file when the last handle that shares it goes away.
struct FileHandle::DeleteOnClose {
    explicit DeleteOnClose(std::string p) : path(std::move(p)) {}
    ~DeleteOnClose() { ::unlink(path.c_str()); }
    DeleteOnClose(const DeleteOnClose&) = delete;
    DeleteOnClose& operator=(const DeleteOnClose&) = delete;
    DeleteOnClose(DeleteOnClose&&) = delete;
    DeleteOnClose& operator=(DeleteOnClose&&) = delete;
    std::string path;
};

FileHandle::FileHandle(int fd, std::string deleteOnClosePath) : fd_(fd) {
    if (fd_ >= 0 && !deleteOnClosePath.empty()) {
        deleteOnClose_ = std::make_shared<DeleteOnClose>(std::move(deleteOnClosePath));
    }
}

FileHandle::~FileHandle() {
    Close();
}

FileHandle::FileHandle(const FileHandle& other)
    : fd_(other.fd_ >= 0 ? ::fcntl(other.fd_, F_DUPFD_CLOEXEC, 0) : -1),
      deleteOnClose_(other.deleteOnClose_) {}

FileHandle& FileHandle::operator=(const FileHandle& other) {
    if (this != &other) {
        FileHandle copy(other);
        *this = std::move(copy);
    }
    return *this;
}

FileHandle::FileHandle(FileHandle&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), deleteOnClose_(std::move(other.deleteOnClose_)) {}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        deleteOnClose_ = std::move(other.deleteOnClose_);
    }
    return *this;
}

bool FileHandle::Close() {
    const int fd = std::exchange(fd_, -1);
    const bool closed = fd < 0 || ::close(fd) == 0;
    deleteOnClose_.reset();  // after the close, so the last holder removes a closed file
    return closed;
}

}  // namespace _FILE
