#include "live/folder_watch.h"

#include <QLoggingCategory>
#include <QSocketNotifier>
#include <sys/inotify.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace halvix {
namespace {

Q_LOGGING_CATEGORY(lcWatch, "vantor.wall.watch")

constexpr std::uint32_t kWatchedEvents = IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE | IN_MODIFY | IN_ATTRIB |
                                         IN_DELETE | IN_MOVED_FROM | IN_DELETE_SELF | IN_MOVE_SELF |
                                         IN_ONLYDIR;

FileEvent EventOf(std::uint32_t mask) {
    if ((mask & (IN_DELETE | IN_MOVED_FROM)) != 0) {
        return FileEvent::Gone;
    }
    if ((mask & (IN_CLOSE_WRITE | IN_MOVED_TO)) != 0) {
        return FileEvent::Closed;
    }
    return FileEvent::Changed;
}

}  // namespace

FolderWatch::FolderWatch(Handler handler, QObject* parent) : QObject(parent), handler_(std::move(handler)) {
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0) {
        qCWarning(lcWatch) << "no inotify instance:" << std::strerror(errno);
        return;
    }
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { Read(); });
}

FolderWatch::~FolderWatch() {
    notifier_.reset();
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool FolderWatch::Watch(const std::string& native_folder) {
    Stop();
    if (fd_ < 0) {
        return false;
    }
    watch_ = inotify_add_watch(fd_, native_folder.c_str(), kWatchedEvents);
    if (watch_ < 0) {
        qCInfo(lcWatch) << "cannot watch" << native_folder.c_str() << ":" << std::strerror(errno);
        return false;
    }
    return true;
}

void FolderWatch::Stop() {
    if (watch_ >= 0) {
        inotify_rm_watch(fd_, watch_);
        watch_ = -1;
    }
}

// Events of a watch removed before are skipped: they belong to the folder shown before.
void FolderWatch::Read() {
    alignas(inotify_event) char buffer[16384];
    std::vector<FolderChange> changes;
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, sizeof(buffer));
        if (got <= 0) {
            break;
        }
        for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= got;) {
            inotify_event event{};
            std::memcpy(&event, buffer + at, sizeof(event));
            const char* name = buffer + at + sizeof(inotify_event);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event.len);
            if ((event.mask & IN_Q_OVERFLOW) != 0) {
                changes.push_back({FolderChange::Kind::Overflow, {}, FileEvent::Changed});
                continue;
            }
            if (event.wd != watch_ || watch_ < 0) {
                continue;
            }
            if ((event.mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) != 0) {
                changes.push_back({FolderChange::Kind::FolderGone, {}, FileEvent::Gone});
                if ((event.mask & IN_IGNORED) != 0) {
                    watch_ = -1;  // the kernel dropped the watch with the folder
                }
                continue;
            }
            if (event.len > 0) {
                changes.push_back({FolderChange::Kind::File, std::string(name, strnlen(name, event.len)),
                                   EventOf(event.mask)});
            }
        }
    }
    if (!changes.empty() && handler_) {
        handler_(std::move(changes));
    }
}

}  // namespace halvix
