#pragma once
// What the stations of one event ask of their Syncthing instances. The storage is one folder:
// an extra station sends its sign-ins and link records and takes nothing back; the main station
// receives them beside its own and never lets a station's deletion remove a photo. Nothing goes
// to the internet or looks for peers on the network: every peer is named with its address when
// it is paired.
#include <QJsonObject>
#include <QString>
#include <string>
#include <vector>

namespace travenor::sync {

inline constexpr char kStorageFolderId[] = "vantor-storage";

// The network options: listening on `listen_host` (empty: every interface) and `port`, no
// discovery, relays, port mapping, usage reports or upgrades.
QJsonObject StationOptions(const std::string& listen_host, int port);
// "host:port", an IPv6 address in brackets.
std::string HostAndPort(const std::string& host, int port);
// "tcp://host:port" ("tcp://:port" for every interface).
std::string ListenAddress(const std::string& host, int port);
// The storage folder of station `station` (1: the main one) at `path`, shared with `devices`.
QJsonObject StorageFolder(int station, const std::string& path, const std::vector<std::string>& devices);
// A paired station or the main station, reached at `address` ("tcp://host:port").
QJsonObject PeerDevice(const std::string& id, const std::string& name, const std::string& address);
// Only the sign-ins' three folders of each day and the link records travel.
std::vector<std::string> StorageIgnores();
// The configuration a new home starts from, before the station first speaks to it: the network
// options above in Syncthing's own file format, so that not even the first start looks for peers.
QString FirstConfiguration(const std::string& listen_host, int port);

}  // namespace travenor::sync
