#include "platform/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace vantor {
namespace {

constexpr char kPartSuffix[] = ".part";

// Owns a POSIX file descriptor.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() { Close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    Descriptor(Descriptor&&) = delete;
    Descriptor& operator=(Descriptor&&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // False when the kernel reports a write error only at close (network and full file systems).
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }

  private:
    int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// A temporary file beside the target holding the bytes, synced to disk; removed again by the
// destructor unless it was handed over with Release().
class TemporaryFile {
  public:
    explicit TemporaryFile(const std::string& target)
        : path_(TemporaryNameFor(target)),
          file_(::mkstemps(path_.data(), static_cast<int>(sizeof kPartSuffix) - 1)),
          owned_(file_.valid()) {}
    ~TemporaryFile() {
        if (owned_) {
            ::unlink(path_.c_str());
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    TemporaryFile(TemporaryFile&&) = delete;
    TemporaryFile& operator=(TemporaryFile&&) = delete;

    // Writes, sets the permissions, syncs and closes; true only when every step succeeded.
    bool Fill(std::string_view bytes, mode_t mode) {
        if (!file_.valid()) {
            return false;
        }
        const bool written =
            WriteAll(file_.get(), bytes) && ::fchmod(file_.get(), mode) == 0 && ::fsync(file_.get()) == 0;
        return file_.Close() && written;
    }
    const std::string& Path() const { return path_; }
    // The file now lives under another name: nothing to remove.
    void Release() { owned_ = false; }

  private:
    std::string path_;
    Descriptor file_;
    bool owned_;
};

// The process's file-creation mask, read without changing it (umask() would set it); 022 when
// the kernel does not tell.
mode_t CurrentUmask() {
    const auto status = ReadWholeFile("/proc/self/status");
    const std::size_t at = status ? status->find("Umask:") : std::string::npos;
    if (at == std::string::npos) {
        return 022;
    }
    return static_cast<mode_t>(std::strtoul(status->c_str() + at + 6, nullptr, 8));
}

}  // namespace

std::string TemporaryNameFor(const std::string& native_path) {
    const std::size_t slash = native_path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : native_path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? native_path : native_path.substr(slash + 1);
    std::replace(name.begin(), name.end(), '.', '-');
    return folder + "." + name + ".XXXXXX" + kPartSuffix;
}

std::optional<std::string> ReadWholeFile(const std::string& native_path) {
    Descriptor file(::open(native_path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.valid()) {
        return std::nullopt;
    }
    std::string bytes;
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(file.get(), chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return std::nullopt;
        }
        if (n == 0) {
            return bytes;
        }
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
}

bool ReplaceWholeFile(const std::string& native_path, std::string_view bytes, mode_t mode) {
    TemporaryFile temporary(native_path);
    if (!temporary.Fill(bytes, mode) || ::rename(temporary.Path().c_str(), native_path.c_str()) != 0) {
        return false;
    }
    temporary.Release();
    return true;
}

bool CreateWholeFile(const std::string& native_path, std::string_view bytes) {
    TemporaryFile temporary(native_path);
    if (!temporary.Fill(bytes, NewFileMode())) {
        return false;
    }
    // The name is taken only when it is free, in one step, so an earlier file is never replaced.
    if (::renameat2(AT_FDCWD, temporary.Path().c_str(), AT_FDCWD, native_path.c_str(), RENAME_NOREPLACE) !=
        0) {
        if (errno != EINVAL && errno != ENOSYS) {
            return false;
        }
        // A file system without RENAME_NOREPLACE: a hard link fails on an existing name too.
        return ::link(temporary.Path().c_str(), native_path.c_str()) == 0;
    }
    temporary.Release();
    // After a rename the temporary name is gone already; after the link fallback the destructor
    // removes it, the picture staying under its final name.
    return true;
}

mode_t NewFileMode() {
    return 0666 & ~CurrentUmask();
}

}  // namespace vantor
