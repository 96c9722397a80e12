#pragma once
// The station's part in a multi-station event while it runs: its own Syncthing, started with the
// station and again whenever it ends, set up from a worker thread (again each time it answers after
// a silence), and a status read every few seconds for the menu and the management dialog. Every
// REST call and folder read runs on the worker; the windows only read the last status and hand
// over the operator's pairing steps, whose answers come back on the windows' thread.
#include <QObject>
#include <QPointer>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/local_clock.h"
#include "settings/sync_settings.h"
#include "sync/pairing_code.h"
#include "sync/syncthing_api.h"
#include "sync/syncthing_child.h"

namespace travenor::sync {

class StationSync;

// The newest of today's sign-ins of another station found in this station's storage.
struct StationDelivery {
    int station = 0;
    int seconds = 0;  // its time of day, from the picture's name
};

struct SyncStatus {
    int station = 1;
    bool answering = false;                   // Syncthing answers on its control port
    bool ready = false;                       // its options and the storage folder are set up
    int peers = 0;                            // stations the storage is shared with
    int connected = 0;                        // of those, connected now
    std::string own_code;                     // the main station's pairing code, as text
    std::vector<PendingDevice> asking;        // the main station: stations asking to join
    std::vector<StationDelivery> deliveries;  // the main station: by station number
    bool receiving_stuck = false;             // the main station: deliveries wait (a full disk)
};

// The newest sign-in of each other station in a folder of composed pictures (a native path).
std::vector<StationDelivery> NewestByStation(const std::string& folder);

// The status line of the main menu: "分站 1/2 已连接 · 2: 9:05:07 · 3: 9:06:00"; at an extra
// station the main station's link. Deliveries that wait at the main station are said first.
QString SyncStatusLine(const SyncStatus& status);

struct SyncServiceSetup {
    SyncthingPlace syncthing;
    vantor::settings::SyncSettings settings;
    int station = 1;
    std::string storage_path;  // absolute, the folder shared
    std::string api_key;
    std::optional<std::string> host;  // where the other stations reach this one
};

class SyncService {
  public:
    using Done = std::function<void(bool)>;

    SyncService(SyncServiceSetup setup, const vantor::Clock& clock);
    ~SyncService();
    SyncService(const SyncService&) = delete;
    SyncService& operator=(const SyncService&) = delete;

    SyncStatus Status() const;
    // The pairing steps; `done` runs on the windows' thread while `context` lives.
    void Join(const PairingCode& main, QObject* context, Done done);
    void Accept(const PendingDevice& station, QObject* context, Done done);
    // Ends Syncthing at once, as a crash would (it is started again).
    void KillSyncthing() { child_.Kill(); }

  private:
    using Job = std::function<bool(StationSync&)>;
    struct Request {
        Job job;
        QPointer<QObject> context;
        Done done;
    };
    void Ask(Job job, QObject* context, Done done);
    void Run(const std::stop_token& stop);
    // An extra station: has Syncthing look at today's folders when something new was saved there.
    void LookAtNewSaves(StationSync& sync, std::string& saved) const;
    SyncStatus ReadStatus(StationSync& sync, bool ready) const;
    void Answer(Request request, bool ok);

    const SyncServiceSetup setup_;
    const vantor::Clock& clock_;
    SyncthingChild child_;
    QObject answers_;           // lives on the windows' thread; the answers are posted to it
    mutable std::mutex mutex_;  // guards status_ and requests_
    std::condition_variable_any wake_;
    SyncStatus status_;
    std::deque<Request> requests_;
    std::jthread worker_;  // last: started when everything above is there, joined first
};

}  // namespace travenor::sync
