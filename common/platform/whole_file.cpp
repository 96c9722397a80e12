#include "platform/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <system_error>

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
    // Hands the descriptor over: it is no longer closed here.
    void Release() { fd_ = -1; }
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

// Writes the bytes to a new file, sets the permissions and syncs; true only when every step,
// the closing included, succeeded.
bool FillFile(Descriptor& file, std::string_view bytes, mode_t mode) {
    if (!file.valid()) {
        return false;
    }
    const bool written =
        WriteAll(file.get(), bytes) && ::fchmod(file.get(), mode) == 0 && ::fsync(file.get()) == 0;
    return file.Close() && written;
}

std::string FolderOf(const std::string& native_path) {
    const std::size_t slash = native_path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? std::string("/") : native_path.substr(0, slash);
}

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

std::optional<std::string> TemporaryTargetStem(const std::string& file_name) {
    // "." + stem + "." + six letters or digits + ".part"
    constexpr std::size_t kUniqueLength = 6;
    const std::size_t suffix = sizeof kPartSuffix - 1;
    if (file_name.size() < 1 + 1 + 1 + kUniqueLength + suffix || file_name.front() != '.' ||
        !file_name.ends_with(kPartSuffix)) {
        return std::nullopt;
    }
    const std::size_t unique = file_name.size() - suffix - kUniqueLength;
    if (file_name[unique - 1] != '.') {
        return std::nullopt;
    }
    for (std::size_t i = unique; i < unique + kUniqueLength; ++i) {
        const char c = file_name[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) {
            return std::nullopt;
        }
    }
    std::string stem = file_name.substr(1, unique - 2);
    if (stem.empty() || stem.find('.') != std::string::npos) {
        return std::nullopt;
    }
    return stem;
}

bool SyncFolder(const std::string& native_folder) {
    Descriptor folder(::open(native_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return folder.valid() && ::fsync(folder.get()) == 0;
}

StagedFile::StagedFile(std::string target, std::string_view bytes, mode_t mode)
    : target_(std::move(target)), path_(TemporaryNameFor(target_)) {
    Descriptor file(::mkstemps(path_.data(), static_cast<int>(sizeof kPartSuffix) - 1));
    owned_ = file.valid();
    ready_ = FillFile(file, bytes, mode);
}

StagedFile::~StagedFile() {
    if (owned_) {
        ::unlink(path_.c_str());
    }
}

bool StagedFile::CommitNew() {
    if (!ready_ || !owned_ || !RenameNoReplace(path_, target_)) {
        return false;
    }
    owned_ = false;
    return true;
}

bool RenameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    // A file system without RENAME_NOREPLACE: a hard link fails on an existing name too.
    if (::link(from.c_str(), to.c_str()) != 0) {
        return false;
    }
    ::unlink(from.c_str());
    return true;
}

ReadOnlyFile::ReadOnlyFile(const std::string& native_path, std::uint64_t max_bytes) {
    struct stat named {};
    if (::stat(native_path.c_str(), &named) != 0 || !S_ISREG(named.st_mode)) {
        return;
    }
    Descriptor file(::open(native_path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat opened {};
    if (!file.valid() || ::fstat(file.get(), &opened) != 0 || !S_ISREG(opened.st_mode) ||
        opened.st_size < 0 || static_cast<std::uint64_t>(opened.st_size) > max_bytes) {
        return;
    }
    const int flags = ::fcntl(file.get(), F_GETFL);
    if (flags < 0 || ::fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
        return;
    }
    size_ = static_cast<std::uint64_t>(opened.st_size);
    fd_ = file.get();
    file.Release();
}

ReadOnlyFile::~ReadOnlyFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

std::optional<std::string> ReadWholeFile(const std::string& native_path, std::uint64_t max_bytes) {
    const ReadOnlyFile file(native_path, max_bytes);
    if (!file.IsOpen()) {
        return std::nullopt;
    }
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(file.Size()));
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(file.Fd(), chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return std::nullopt;
        }
        if (n == 0) {
            return bytes;
        }
        // Files of the kernel's own (/proc) tell no size; a file that grows is cut off too.
        if (static_cast<std::uint64_t>(n) > max_bytes - bytes.size()) {
            return std::nullopt;
        }
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
}

bool ReplaceWholeFile(const std::string& native_path, std::string_view bytes, mode_t mode) {
    std::string temporary = TemporaryNameFor(native_path);
    Descriptor file(::mkstemps(temporary.data(), static_cast<int>(sizeof kPartSuffix) - 1));
    if (!file.valid()) {
        return false;
    }
    if (!FillFile(file, bytes, mode) || ::rename(temporary.c_str(), native_path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    // The new name reaches the disk too: after a power cut the file is the old one or the new one.
    SyncFolder(FolderOf(native_path));
    return true;
}

bool CreateWholeFile(const std::string& native_path, std::string_view bytes) {
    StagedFile staged(native_path, bytes, NewFileMode());
    if (!staged.CommitNew()) {
        return false;
    }
    SyncFolder(FolderOf(native_path));
    return true;
}

bool AppendSynced(const std::string& native_path, std::string_view bytes) {
    Descriptor file(::open(native_path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666));
    if (!file.valid()) {
        return false;
    }
    const bool written = WriteAll(file.get(), bytes) && ::fdatasync(file.get()) == 0;
    return file.Close() && written;
}

mode_t NewFileMode() {
    return 0666 & ~CurrentUmask();
}

std::vector<std::filesystem::path> FolderEntries(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> entries;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        entries.push_back(it->path());
    }
    return entries;
}

}  // namespace vantor
