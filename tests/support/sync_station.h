#pragma once
// One station's storage with its own Syncthing on free loopback ports, for the tests and the
// benchmark of the stations' sharing (header only: the station's library is linked by its users).
#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
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

// The process of the Syncthing whose home is `home`; 0 when none runs.
inline int SyncthingPid(const std::filesystem::path& home) {
    const std::string wanted = "--home=" + home.string() + " ";
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        std::ifstream file(entry.path() / "cmdline", std::ios::binary);
        std::string line((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        std::replace(line.begin(), line.end(), '\0', ' ');
        if (line.find("syncthing") != std::string::npos && line.find(wanted) != std::string::npos) {
            return std::stoi(name);
        }
    }
    return 0;
}

struct SyncStation {
    QTemporaryDir folder;
    vantor::settings::SyncSettings settings;
    QString program = QStringLiteral("syncthing");
    std::unique_ptr<travenor::sync::SyncthingChild> syncthing;
    std::unique_ptr<travenor::sync::StationSync> sync;

    // With `small_disk_kib`, the station's Syncthing sees its storage on a disk of that size of its
    // own: a tmpfs mounted over the folder in a user and mount namespace of its own (unshare). The
    // test reaches that disk through SmallDisk().
    explicit SyncStation(int number, int small_disk_kib = 0) {
        settings.on = true;
        settings.address = "127.0.0.1";
        settings.port = FreePort();
        settings.control_port = FreePort();
        QDir().mkpath(Storage());
        if (small_disk_kib > 0) {
            program = folder.filePath("syncthing-on-a-small-disk");
            QFile script(program);
            script.open(QIODevice::WriteOnly);
            script.write(QStringLiteral("#!/bin/sh\n"
                                        "exec unshare --user --map-root-user --mount sh -c "
                                        "'mount -t tmpfs -o size=%1k tmpfs \"$0\" && exec syncthing \"$@\"' "
                                        "\"%2\" \"$@\"\n")
                             .arg(small_disk_kib)
                             .arg(Storage())
                             .toUtf8());
            script.close();
            script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        syncthing =
            std::make_unique<travenor::sync::SyncthingChild>(Place(), "key-" + std::to_string(number));
        sync = std::make_unique<travenor::sync::StationSync>(syncthing->Api(), number,
                                                             Storage().toStdString(), settings);
    }
    travenor::sync::SyncthingPlace Place() const {
        return {program, folder.filePath("Sync"), settings.address, settings.port, settings.control_port};
    }
    QString Storage() const { return folder.filePath("Storage"); }
    QString File(const QString& relative) const { return Storage() + "/" + relative; }
    std::string Id() const { return sync->DeviceId().value_or(""); }
    // The storage as the station's Syncthing sees it (its small disk); empty while it does not run.
    QString SmallDisk() const {
        const int pid = SyncthingPid(folder.filePath("Sync").toStdString());
        return pid > 0 ? QStringLiteral("/proc/%1/root").arg(pid) + Storage() : QString();
    }
};

}  // namespace vantor_test
