#include "app/event_sharing.h"

#include <QDir>
#include <QLabel>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTimer>

#include "app/startup_dlg.h"
#include "platform/network_address.h"
#include "settings/bounded_setting.h"
#include "sync/sync_log.h"

namespace travenor {
namespace {

// A new key at each start: only this station speaks to its Syncthing.
std::string NewApiKey() {
    QString key;
    for (int i = 0; i < 4; ++i) {
        key +=
            QString::number(QRandomGenerator::system()->generate(), 16).rightJustified(8, QLatin1Char('0'));
    }
    return key.toStdString();
}

}  // namespace

std::unique_ptr<sync::SyncService> StartEventSharing(const vantor::Clock& clock) {
    const tstring config(vantor::settings::kConfigFile);
    const vantor::settings::SyncSettings settings = vantor::settings::ReadSyncSettings(config);
    if (!settings.on) {
        return nullptr;
    }
    sync::SyncServiceSetup setup;
    setup.syncthing.program = QStandardPaths::findExecutable(QStringLiteral("syncthing"));
    if (setup.syncthing.program.isEmpty()) {
        qCWarning(lcSync) << "[sync] on=1 but syncthing is not installed: this station works alone";
        return nullptr;
    }
    const QDir here = QDir::current();
    setup.syncthing.home = here.absoluteFilePath(QStringLiteral("Sync"));
    setup.syncthing.listen_host = settings.address;
    setup.syncthing.listen_port = settings.port;
    setup.syncthing.control_port = settings.control_port;
    setup.settings = settings;
    setup.station = vantor::settings::ReadStationNumber(config);
    setup.storage_path = here.absoluteFilePath(QStringLiteral("Storage")).toStdString();
    here.mkpath(QStringLiteral("Storage"));
    setup.api_key = NewApiKey();
    setup.host = settings.address.empty() ? vantor::DefaultRouteAddress() : std::optional(settings.address);
    qCInfo(lcSync) << "station" << setup.station << "shares its storage on port" << settings.port;
    return std::make_unique<sync::SyncService>(std::move(setup), clock);
}

void ShowSharingStatus(CStartUpDlg& menu, const sync::SyncService& service) {
    auto* line = new QLabel(&menu);  // owned by the menu
    line->setStyleSheet(
        QStringLiteral("QLabel { color: white; background: rgba(0, 0, 0, 140); padding: 4px 10px; }"));
    QFont font(QStringLiteral("WenQuanYi Zen Hei"));
    font.setPixelSize(std::max(14, menu.height() / 60));
    line->setFont(font);
    const auto refresh = [&menu, &service, line] {
        line->setText(sync::SyncStatusLine(service.Status()));
        line->adjustSize();
        line->move(0, menu.height() - line->height());
    };
    auto* timer = new QTimer(line);  // owned by the line
    QObject::connect(timer, &QTimer::timeout, line, refresh);
    timer->start(2000);
    refresh();
    line->show();
}

}  // namespace travenor
