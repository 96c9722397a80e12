#include "sync/sync_plan.h"

#include <QJsonArray>

namespace travenor::sync {

std::string HostAndPort(const std::string& host, int port) {
    const bool v6 = host.find(':') != std::string::npos;
    return (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

std::string ListenAddress(const std::string& host, int port) {
    return "tcp://" + HostAndPort(host, port);
}

QJsonObject StationOptions(const std::string& listen_host, int port) {
    return {{"listenAddresses", QJsonArray{QString::fromStdString(ListenAddress(listen_host, port))}},
            {"globalAnnounceEnabled", false},
            {"localAnnounceEnabled", false},
            {"relaysEnabled", false},
            {"natEnabled", false},
            {"announceLANAddresses", false},
            {"urAccepted", -1},
            {"autoUpgradeIntervalH", 0},
            {"crashReportingEnabled", false},
            {"startBrowser", false},
            {"stunKeepaliveStartS", 0},
            // A station turned away before it was accepted, or back on the network, tries again soon.
            {"reconnectionIntervalS", 5},
            {"stunServers", QJsonArray{}}};
}

QJsonObject StorageFolder(int station, const std::string& path, const std::vector<std::string>& devices) {
    QJsonArray shared;
    for (const std::string& device : devices) {
        shared.append(QJsonObject{{"deviceID", QString::fromStdString(device)}});
    }
    const bool main = station == 1;
    return {{"id", kStorageFolderId},
            {"label", "Vantor"},
            {"path", QString::fromStdString(path)},
            {"type", main ? "receiveonly" : "sendonly"},
            {"devices", shared},
            {"fsWatcherEnabled", true},
            {"fsWatcherDelayS", 1},
            {"rescanIntervalS", 60},
            {"ignorePerms", true},
            // A station that empties its storage after the event takes nothing from the main one.
            {"ignoreDelete", main},
            // Deliveries that could not be taken (a full disk) are tried again after 5 s rather
            // than Syncthing's minute, so they follow soon once the operator made room.
            {"pullerPauseS", 5},
            {"paused", false}};
}

QJsonObject PeerDevice(const std::string& id, const std::string& name, const std::string& address) {
    return {{"deviceID", QString::fromStdString(id)},
            {"name", QString::fromStdString(name)},
            {"addresses", QJsonArray{QString::fromStdString(address)}},
            {"autoAcceptFolders", false},
            {"introducer", false},
            {"paused", false}};
}

std::vector<std::string> StorageIgnores() {
    // Hidden names first: a save's staged ".<stem>.<letters>.part" caught by a scan would otherwise
    // travel and, deletions being ignored there, stay at the main station for ever.
    return {".*", "!/*/WithTemplate", "!/*/NoTemplate", "!/*/Audio", "!/Links", "*"};
}

QString FirstConfiguration(const std::string& listen_host, int port) {
    return QStringLiteral(
               "<configuration version=\"36\">\n"
               "    <options>\n"
               "        <listenAddress>%1</listenAddress>\n"
               "        <globalAnnounceEnabled>false</globalAnnounceEnabled>\n"
               "        <localAnnounceEnabled>false</localAnnounceEnabled>\n"
               "        <relaysEnabled>false</relaysEnabled>\n"
               "        <natEnabled>false</natEnabled>\n"
               "        <announceLANAddresses>false</announceLANAddresses>\n"
               "        <urAccepted>-1</urAccepted>\n"
               "        <autoUpgradeIntervalH>0</autoUpgradeIntervalH>\n"
               "        <crashReportingEnabled>false</crashReportingEnabled>\n"
               "        <startBrowser>false</startBrowser>\n"
               "        <stunKeepaliveStartS>0</stunKeepaliveStartS>\n"
               "    </options>\n"
               "</configuration>\n")
        .arg(QString::fromStdString(ListenAddress(listen_host, port)).toHtmlEscaped());
}

}  // namespace travenor::sync
