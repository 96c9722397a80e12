#pragma once
// Watches one folder through inotify and reports what happens to the names in it, on the thread
// that owns the watch (its event loop reads the notifications). The folder itself going (removed,
// renamed) and a notification queue that overflowed are reported too: then only a new listing
// tells what is there.
#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <vector>
#include "live/arrivals.h"

class QSocketNotifier;

namespace halvix {

struct FolderChange {
    enum class Kind { File, FolderGone, Overflow };
    Kind kind = Kind::File;
    std::string name;  // Kind::File
    FileEvent event = FileEvent::Changed;
};

class FolderWatch : public QObject {
  public:
    using Handler = std::function<void(std::vector<FolderChange>)>;

    explicit FolderWatch(Handler handler, QObject* parent = nullptr);
    ~FolderWatch() override;
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // Watches `native_folder` instead of the one watched before. False when it cannot be watched
    // (it does not exist, or inotify is out of watches); nothing is watched then.
    bool Watch(const std::string& native_folder);
    void Stop();
    bool Watching() const { return watch_ >= 0; }

  private:
    void Read();

    Handler handler_;
    int fd_ = -1;     // the inotify instance, closed with the watch
    int watch_ = -1;  // the folder's watch descriptor
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace halvix
