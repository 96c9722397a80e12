#pragma once
// The station's own Syncthing: a child process with its home in the installation folder,
// listening for the event's stations on its port and for the station alone on a loopback port.
// It is started again when it ends (the watcher's pauses) and ends with the station.
#include <QString>
#include <memory>
#include <string>

#include "app/gallery_server.h"
#include "sync/syncthing_api.h"

namespace travenor::sync {

struct SyncthingPlace {
    QString program = QStringLiteral("syncthing");
    QString home;             // keys, configuration, database
    std::string listen_host;  // empty: every interface
    int listen_port = 22000;  // for the other stations
    int control_port = 8384;  // REST, on 127.0.0.1 only
};

// The arguments of `syncthing serve` for this place, and what its environment adds.
QStringList SyncthingArguments(const SyncthingPlace& place);
QStringList SyncthingEnvironment(const std::string& api_key);
// Creates the home and, the first time, its configuration with every network option off; false
// when the home cannot be written.
bool PrepareHome(const SyncthingPlace& place);

class SyncthingChild {
  public:
    // Starts the program at once when its home could be prepared (Running says so).
    SyncthingChild(SyncthingPlace place, std::string api_key);
    ~SyncthingChild();
    SyncthingChild(const SyncthingChild&) = delete;
    SyncthingChild& operator=(const SyncthingChild&) = delete;

    bool Running() const { return program_ && program_->Process().Running(); }
    // Ends it at once, as a crash or a kill would; the watcher starts it again.
    void Kill();
    const SyncthingApi& Api() const { return api_; }
    const SyncthingPlace& Place() const { return place_; }

  private:
    SyncthingPlace place_;
    SyncthingApi api_;
    std::unique_ptr<WatchedProgram> program_;
};

}  // namespace travenor::sync
