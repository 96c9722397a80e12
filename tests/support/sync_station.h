#pragma once
// One station's storage with its own Syncthing on free loopback ports, for the tests and the
// benchmark of the stations' sharing (header only: the station's library is linked by its users).
#include <QDir>
#include <QTcpServer>
#include <QTemporaryDir>
#include <memory>
#include <string>

#include "sync/station_sync.h"
#include "sync/syncthing_child.h"

namespace vantor_test {

inline int FreePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

struct SyncStation {
    QTemporaryDir folder;
    vantor::settings::SyncSettings settings;
    std::unique_ptr<travenor::sync::SyncthingChild> syncthing;
    std::unique_ptr<travenor::sync::StationSync> sync;

    explicit SyncStation(int number) {
        settings.on = true;
        settings.address = "127.0.0.1";
        settings.port = FreePort();
        settings.control_port = FreePort();
        QDir().mkpath(Storage());
        syncthing =
            std::make_unique<travenor::sync::SyncthingChild>(Place(), "key-" + std::to_string(number));
        sync = std::make_unique<travenor::sync::StationSync>(syncthing->Api(), number,
                                                             Storage().toStdString(), settings);
    }
    travenor::sync::SyncthingPlace Place() const {
        return {QStringLiteral("syncthing"), folder.filePath("Sync"), settings.address, settings.port,
                settings.control_port};
    }
    QString Storage() const { return folder.filePath("Storage"); }
    QString File(const QString& relative) const { return Storage() + "/" + relative; }
    std::string Id() const { return sync->DeviceId().value_or(""); }
};

}  // namespace vantor_test
