#pragma once
// One station's part in sharing the event's storage, spoken to its Syncthing. The main station
// (number 1) receives the sign-ins of the stations it accepted; an extra station sends its own to
// the main station it joined. The station calls SetUp from a timer until it succeeds, and again
// after its Syncthing restarted; pairing and the status are asked for by the management dialog
// and the menu.
#include <optional>
#include <string>
#include <vector>

#include "settings/sync_settings.h"
#include "sync/pairing_code.h"
#include "sync/syncthing_api.h"

namespace travenor::sync {

class StationSync {
  public:
    StationSync(const SyncthingApi& api, int station, std::string storage_path,
                vantor::settings::SyncSettings settings);

    // The options, the storage folder (its peers kept) and what travels; false while Syncthing
    // does not answer or refuses.
    bool SetUp();
    bool IsMain() const { return station_ == 1; }
    std::optional<std::string> DeviceId() const { return api_.DeviceId(); }
    // What the main station shows to be joined, naming `host` (where the stations reach it).
    std::optional<PairingCode> OwnCode(const std::string& host) const;

    // An extra station: the main station named by `main` becomes its one peer.
    bool JoinMain(const PairingCode& main);
    // The main station: stations that asked to join, and accepting one (named `name`).
    std::vector<PendingDevice> Asking() const;
    bool Accept(const std::string& device_id, const std::string& name);
    // The peers the storage is shared with, and how many of them are connected now.
    std::vector<std::string> Peers() const;
    int ConnectedPeers() const;
    // Deliveries wait: the storage folder cannot take files (too little free space, a folder that
    // went) or some could not be fetched; Syncthing tries again by itself.
    bool ReceivingStuck() const;
    // Has Syncthing look at these folders of the storage (relative paths) now.
    bool LookAt(const std::vector<std::string>& sub_paths) const;

  private:
    bool ShareWith(const std::vector<std::string>& devices);

    const SyncthingApi& api_;
    const int station_;
    const std::string storage_path_;
    const vantor::settings::SyncSettings settings_;
};

}  // namespace travenor::sync
