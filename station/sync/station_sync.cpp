#include "sync/station_sync.h"

#include <QJsonArray>
#include <algorithm>

#include "sync/sync_log.h"
#include "sync/sync_plan.h"

namespace travenor::sync {

StationSync::StationSync(const SyncthingApi& api, int station, std::string storage_path,
                         vantor::settings::SyncSettings settings)
    : api_(api), station_(station), storage_path_(std::move(storage_path)), settings_(std::move(settings)) {}

bool StationSync::SetUp() {
    if (!api_.Healthy() || !api_.ChangeOptions(StationOptions(settings_.address, settings_.port))) {
        return false;
    }
    // The name the main station's operator sees when this station asks to join.
    const std::optional<std::string> own = api_.DeviceId();
    if (!own || !api_.PutDevice(PeerDevice(*own, "Vantor " + std::to_string(station_), "dynamic"))) {
        return false;
    }
    return ShareWith(Peers());
}

bool StationSync::ShareWith(const std::vector<std::string>& devices) {
    return api_.PutFolder(StorageFolder(station_, storage_path_, devices)) &&
           api_.SetIgnores(kStorageFolderId, StorageIgnores());
}

std::vector<std::string> StationSync::Peers() const {
    std::vector<std::string> peers;
    const std::optional<QJsonObject> folder = api_.Folder(kStorageFolderId);
    const std::optional<std::string> own = api_.DeviceId();
    if (!folder || !own) {
        return peers;
    }
    for (const QJsonValue& device : folder->value("devices").toArray()) {
        const std::string id = device.toObject().value("deviceID").toString().toStdString();
        if (id != *own) {
            peers.push_back(id);
        }
    }
    return peers;
}

std::optional<PairingCode> StationSync::OwnCode(const std::string& host) const {
    const std::optional<std::string> id = api_.DeviceId();
    if (!id) {
        return std::nullopt;
    }
    return PairingCode{*id, host, settings_.port};
}

bool StationSync::JoinMain(const PairingCode& main) {
    if (IsMain()) {
        return false;
    }
    const std::string address = ListenAddress(main.host, main.port);
    if (!api_.PutDevice(PeerDevice(main.device_id, "Vantor 1", address)) || !ShareWith({main.device_id})) {
        return false;
    }
    qCInfo(lcSync) << "joined the main station" << main.device_id.c_str() << "at" << address.c_str();
    return true;
}

std::vector<PendingDevice> StationSync::Asking() const {
    if (!IsMain()) {
        return {};
    }
    std::vector<PendingDevice> asking = api_.PendingDevices();
    const std::vector<std::string> peers = Peers();
    std::erase_if(asking, [&](const PendingDevice& device) {
        return std::find(peers.begin(), peers.end(), device.id) != peers.end();
    });
    return asking;
}

bool StationSync::Accept(const std::string& device_id, const std::string& name) {
    if (!IsMain() || !IsDeviceId(device_id)) {
        return false;
    }
    std::vector<std::string> peers = Peers();
    if (std::find(peers.begin(), peers.end(), device_id) == peers.end()) {
        peers.push_back(device_id);
    }
    // The station connects to this one; no address of its own is needed.
    if (!api_.PutDevice(PeerDevice(device_id, name, "dynamic")) || !ShareWith(peers)) {
        return false;
    }
    qCInfo(lcSync) << "accepted the station" << device_id.c_str();
    return true;
}

int StationSync::ConnectedPeers() const {
    const std::map<std::string, Connection> connections = api_.Connections();
    const std::vector<std::string> peers = Peers();
    return static_cast<int>(std::count_if(peers.begin(), peers.end(), [&](const std::string& id) {
        const auto found = connections.find(id);
        return found != connections.end() && found->second.connected;
    }));
}

bool StationSync::LookAt(const std::vector<std::string>& sub_paths) const {
    return std::all_of(sub_paths.begin(), sub_paths.end(),
                       [this](const std::string& sub) { return api_.Scan(kStorageFolderId, sub); });
}

bool StationSync::ReceivingStuck() const {
    const std::optional<FolderState> folder = api_.FolderStatus(kStorageFolderId);
    return folder && folder->Stuck();
}

}  // namespace travenor::sync
