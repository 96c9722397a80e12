#include "sync/syncthing_api.h"

#include <httplib.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <cctype>

namespace travenor::sync {
namespace {

Q_LOGGING_CATEGORY(lcSyncApi, "vantor.sync.api")

constexpr time_t kConnectSeconds = 2;
constexpr time_t kAnswerSeconds = 10;

std::string Body(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

// Percent-encodes all but the unreserved characters of a URL.
std::string Escaped(const std::string& text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string escaped;
    for (const unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
            escaped += static_cast<char>(c);
        } else {
            escaped += '%';
            escaped += kHex[c >> 4];
            escaped += kHex[c & 15];
        }
    }
    return escaped;
}

}  // namespace

SyncthingApi::SyncthingApi(int control_port, std::string api_key)
    : port_(control_port), api_key_(std::move(api_key)) {}

std::optional<QJsonObject> SyncthingApi::GetObject(const std::string& path) const {
    httplib::Client client("127.0.0.1", port_);
    client.set_connection_timeout(kConnectSeconds);
    client.set_read_timeout(kAnswerSeconds);
    const auto answer = client.Get(path, {{"X-API-Key", api_key_}});
    if (!answer || answer->status != 200) {
        return std::nullopt;
    }
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(answer->body));
    return document.isObject() ? std::optional(document.object()) : std::nullopt;
}

bool SyncthingApi::Send(const char* method, const std::string& path, const QJsonObject& body) const {
    httplib::Client client("127.0.0.1", port_);
    client.set_connection_timeout(kConnectSeconds);
    client.set_read_timeout(kAnswerSeconds);
    const httplib::Headers headers{{"X-API-Key", api_key_}};
    const std::string text = Body(body);
    const std::string method_name = method;
    const httplib::Result answer = method_name == "PUT" ? client.Put(path, headers, text, "application/json")
                                   : method_name == "PATCH"
                                       ? client.Patch(path, headers, text, "application/json")
                                       : client.Post(path, headers, text, "application/json");
    if (!answer || answer->status / 100 != 2) {
        qCWarning(lcSyncApi).nospace()
            << method << " " << path.c_str() << " was refused: "
            << (answer ? answer->body.c_str() : httplib::to_string(answer.error()).c_str());
        return false;
    }
    return true;
}

bool SyncthingApi::Healthy() const {
    const auto ping = GetObject("/rest/system/ping");
    return ping && ping->value("ping").toString() == "pong";
}

std::optional<std::string> SyncthingApi::DeviceId() const {
    const auto status = GetObject("/rest/system/status");
    if (!status) {
        return std::nullopt;
    }
    const QString id = status->value("myID").toString();
    return id.isEmpty() ? std::nullopt : std::optional(id.toStdString());
}

bool SyncthingApi::ChangeOptions(const QJsonObject& options) const {
    return Send("PATCH", "/rest/config/options", options);
}

bool SyncthingApi::PutDevice(const QJsonObject& device) const {
    return Send("PUT", "/rest/config/devices/" + Escaped(device.value("deviceID").toString().toStdString()),
                device);
}

bool SyncthingApi::PutFolder(const QJsonObject& folder) const {
    return Send("PUT", "/rest/config/folders/" + Escaped(folder.value("id").toString().toStdString()),
                folder);
}

std::optional<QJsonObject> SyncthingApi::Folder(const std::string& id) const {
    return GetObject("/rest/config/folders/" + Escaped(id));
}

bool SyncthingApi::SetIgnores(const std::string& folder, const std::vector<std::string>& lines) const {
    QJsonArray ignore;
    for (const std::string& line : lines) {
        ignore.append(QString::fromStdString(line));
    }
    return Send("POST", "/rest/db/ignores?folder=" + Escaped(folder), QJsonObject{{"ignore", ignore}});
}

std::vector<PendingDevice> SyncthingApi::PendingDevices() const {
    std::vector<PendingDevice> pending;
    const auto devices = GetObject("/rest/cluster/pending/devices");
    if (!devices) {
        return pending;
    }
    for (auto it = devices->begin(); it != devices->end(); ++it) {
        const QJsonObject about = it.value().toObject();
        pending.push_back({it.key().toStdString(), about.value("name").toString().toStdString(),
                           about.value("address").toString().toStdString()});
    }
    return pending;
}

std::map<std::string, Connection> SyncthingApi::Connections() const {
    std::map<std::string, Connection> connections;
    const auto answer = GetObject("/rest/system/connections");
    if (!answer) {
        return connections;
    }
    const QJsonObject devices = answer->value("connections").toObject();
    for (auto it = devices.begin(); it != devices.end(); ++it) {
        const QJsonObject about = it.value().toObject();
        connections[it.key().toStdString()] = {about.value("connected").toBool(),
                                               about.value("address").toString().toStdString()};
    }
    return connections;
}

std::optional<FolderState> SyncthingApi::FolderStatus(const std::string& folder) const {
    const auto answer = GetObject("/rest/db/status?folder=" + Escaped(folder));
    if (!answer) {
        return std::nullopt;
    }
    return FolderState{answer->value("state").toString().toStdString(),
                       answer->value("error").toString().toStdString(), answer->value("needFiles").toInt(),
                       answer->value("pullErrors").toInt()};
}

bool SyncthingApi::Scan(const std::string& folder, const std::string& sub_path) const {
    std::string path = "/rest/db/scan?folder=" + Escaped(folder);
    if (!sub_path.empty()) {
        path += "&sub=" + Escaped(sub_path);
    }
    return Send("POST", path, {});
}

}  // namespace travenor::sync
