#pragma once
// The station's Syncthing instance, spoken to through its REST interface on the loopback address
// and its API key. Every call waits a few seconds at most and says whether Syncthing took it; the
// caller tries again later when it did not (Syncthing starting, restarting, busy).
#include <QJsonObject>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace travenor::sync {

struct PendingDevice {
    std::string id;
    std::string name;
    std::string address;  // where it connected from

    bool operator==(const PendingDevice&) const = default;
};

struct Connection {
    bool connected = false;
    std::string address;
};

// How a shared folder stands: its state ("idle", "syncing", "error", ...), the reason it cannot
// work (such as too little free space), and the files it still needs and could not fetch.
struct FolderState {
    std::string state;
    std::string error;
    int need_files = 0;
    int pull_errors = 0;

    bool Stuck() const { return !error.empty() || pull_errors > 0; }
};

class SyncthingApi {
  public:
    SyncthingApi(int control_port, std::string api_key);

    // True when Syncthing answers.
    bool Healthy() const;
    // This instance's device ID.
    std::optional<std::string> DeviceId() const;
    // Changes the given options and leaves the others.
    bool ChangeOptions(const QJsonObject& options) const;
    // Creates or replaces a device or a folder (unnamed fields take Syncthing's defaults).
    bool PutDevice(const QJsonObject& device) const;
    bool PutFolder(const QJsonObject& folder) const;
    std::optional<QJsonObject> Folder(const std::string& id) const;
    bool SetIgnores(const std::string& folder, const std::vector<std::string>& lines) const;
    // Devices that asked to connect and are not known.
    std::vector<PendingDevice> PendingDevices() const;
    std::map<std::string, Connection> Connections() const;
    std::optional<FolderState> FolderStatus(const std::string& folder) const;
    // Looks at the folder (or one path in it) now rather than at its next watch or scan.
    bool Scan(const std::string& folder, const std::string& sub_path = {}) const;

  private:
    std::optional<QJsonObject> GetObject(const std::string& path) const;
    bool Send(const char* method, const std::string& path, const QJsonObject& body) const;

    int port_;
    std::string api_key_;
};

}  // namespace travenor::sync
