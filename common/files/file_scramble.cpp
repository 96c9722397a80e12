// CFileBase::Encrypt / UnEncrypt: a reversible scrambling of a file's content. A scrambled file
// starts with a marker block of kMarkerSize bytes that all equal the key; every following block
// of up to kMarkerSize bytes has byte j exclusive-or'ed with (key + 3 j) mod 20.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "files/file_base.h"
#include "platform/message_box.h"
#include "platform/native_path.h"

namespace _FILE {
namespace {

using Block = std::vector<unsigned char>;

void ScrambleBlock(Block& block, std::size_t count, int key) {
    for (std::size_t j = 0; j < count; ++j) {
        block[j] ^= static_cast<unsigned char>((key + 3 * j) % 20);
    }
}

// The work file of one scrambling run: beside the source, named "临时" + the source's name, and
// removed unless it was committed over the source.
class WorkFile {
  public:
    explicit WorkFile(const tstring& source) {
        const int slash = source.ReFind(u'\\');
        const tstring folder = slash >= 0 ? source.Left(slash + 1) : tstring();
        const tstring name = slash >= 0 ? source.Mid(slash + 1) : source;
        path_ = vantor::ToNativePath(folder + tstring(u"临时") + name);
        handle_ = FileHandle(::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    }
    ~WorkFile() {
        handle_.Close();
        if (!committed_) {
            ::unlink(path_.c_str());
        }
    }
    WorkFile(const WorkFile&) = delete;
    WorkFile& operator=(const WorkFile&) = delete;
    WorkFile(WorkFile&&) = delete;
    WorkFile& operator=(WorkFile&&) = delete;

    const FileHandle& Handle() const { return handle_; }

    bool Write(const Block& block, std::size_t count) {
        return count == 0 ||
               CFileBase::Write(handle_, block.data(), static_cast<unsigned long>(count)) == count;
    }

    // Makes the work file the source: its bytes reach the disk first, then it replaces the
    // source in one rename, so the source is never lost half-way.
    bool CommitOver(const std::string& source) {
        struct stat info {};
        const mode_t mode = ::stat(source.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0644;
        if (::fchmod(handle_.Descriptor(), mode) != 0 || ::fsync(handle_.Descriptor()) != 0 ||
            !handle_.Close()) {
            return false;
        }
        committed_ = ::rename(path_.c_str(), source.c_str()) == 0;
        return committed_;
    }

  private:
    std::string path_;
    FileHandle handle_;
    bool committed_ = false;
};

FileHandle OpenSourceForReading(const tstring& path) {
    return FileHandle(::open(vantor::ToNativePath(path).c_str(), O_RDONLY | O_CLOEXEC));
}

// Copies the rest of the source to the work file, block by block, each block scrambled (the
// operation is its own inverse). `first` is a block already read, written before the rest.
// Fails unless the whole source (`sourceOffset` bytes were read before `first`) went through, so
// that a read error cannot pass for the end of the file.
bool ScrambleRest(const FileHandle& source, WorkFile& work, Block first, std::size_t firstCount,
                  std::size_t sourceOffset, int key) {
    Block block = std::move(first);
    std::size_t count = firstCount;
    std::size_t total = sourceOffset;
    while (count > 0) {
        ScrambleBlock(block, count, key);
        if (!work.Write(block, count)) {
            return false;
        }
        total += count;
        count = CFileBase::Read(source, block.data(), static_cast<unsigned long>(block.size()));
    }
    struct stat info {};
    return ::fstat(source.Descriptor(), &info) == 0 && static_cast<std::size_t>(info.st_size) == total;
}

}  // namespace

int CFileBase::Encrypt() {
    if (!IsFileExist()) {
        vantor::ShowMessageBox(u"文件不存在", u"");
        return 0;
    }
    const FileHandle source = OpenSourceForReading(path_);
    WorkFile work(path_);
    if (!source || !work.Handle()) {
        return 0;
    }
    const Block marker(kMarkerSize, static_cast<unsigned char>(key_));
    Block first(kMarkerSize, 0);
    const std::size_t count = Read(source, first.data(), kMarkerSize);
    if (count == static_cast<std::size_t>(kMarkerSize) && first == marker) {
        vantor::ShowMessageBox(u"文件已经加密", u"友情提示");
        return 0;
    }
    if (!work.Write(marker, marker.size()) || !ScrambleRest(source, work, std::move(first), count, 0, key_)) {
        return 0;
    }
    return work.CommitOver(vantor::ToNativePath(path_)) ? 1 : 0;
}

int CFileBase::UnEncrypt() {
    if (!IsFileExist()) {
        return 0;
    }
    const FileHandle source = OpenSourceForReading(path_);
    WorkFile work(path_);
    if (!source || !work.Handle()) {
        return 0;
    }
    const Block marker(kMarkerSize, static_cast<unsigned char>(key_));
    Block block(kMarkerSize, 0);
    if (Read(source, block.data(), kMarkerSize) != static_cast<unsigned long>(kMarkerSize) ||
        block != marker) {
        vantor::ShowMessageBox(u"非本程序加密文件", u"友情提示");
        return 0;
    }
    const std::size_t count = Read(source, block.data(), kMarkerSize);
    if (!ScrambleRest(source, work, std::move(block), count, kMarkerSize, key_)) {
        return 0;
    }
    return work.CommitOver(vantor::ToNativePath(path_)) ? 1 : 0;
}

}  // namespace _FILE
