#include "sync/syncthing_child.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include "sync/sync_log.h"
#include "sync/sync_plan.h"

namespace travenor::sync {

QStringList SyncthingArguments(const SyncthingPlace& place) {
    return {QStringLiteral("serve"),
            QStringLiteral("--home=") + place.home,
            QStringLiteral("--no-browser"),
            QStringLiteral("--no-restart"),
            QStringLiteral("--no-upgrade"),
            QStringLiteral("--no-default-folder"),
            QStringLiteral("--skip-port-probing"),
            QStringLiteral("--gui-address=http://127.0.0.1:%1").arg(place.control_port),
            QStringLiteral("--logflags=0")};
}

QStringList SyncthingEnvironment(const std::string& api_key) {
    // The key in the environment, not on the command line, where every user of the machine could
    // read it. Syncthing runs as one process, without its monitor: a monitor's child would outlive
    // the station when the station is killed, and the station's watcher restarts it anyway.
    return {QStringLiteral("STGUIAPIKEY=") + QString::fromStdString(api_key),
            QStringLiteral("STMONITORED=yes")};
}

bool PrepareHome(const SyncthingPlace& place) {
    if (!QDir().mkpath(place.home)) {
        return false;
    }
    const QString configuration = QDir(place.home).filePath(QStringLiteral("config.xml"));
    if (QFile::exists(configuration)) {
        return true;  // Syncthing's own from now on; the station changes it through REST only
    }
    QSaveFile file(configuration);
    return file.open(QIODevice::WriteOnly) &&
           file.write(FirstConfiguration(place.listen_host, place.listen_port).toUtf8()) > 0 && file.commit();
}

SyncthingChild::SyncthingChild(SyncthingPlace place, std::string api_key)
    : place_(std::move(place)), api_(place_.control_port, api_key) {
    if (!PrepareHome(place_)) {
        qCWarning(lcSync) << "cannot prepare Syncthing's folder" << place_.home
                          << "- this station does not take part in the event's sharing";
        return;
    }
    // Syncthing's own log stays in its folder, beside its database.
    program_ = std::make_unique<WatchedProgram>(
        QtChildProcess::Setup{place_.program, SyncthingArguments(place_),
                              QDir(place_.home).filePath(QStringLiteral("syncthing.log")),
                              SyncthingEnvironment(api_key)},
        "Syncthing");
}

SyncthingChild::~SyncthingChild() = default;

void SyncthingChild::Kill() {
    if (program_) {
        program_->Process().Kill();
    }
}

}  // namespace travenor::sync
