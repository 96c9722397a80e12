#include "sync/sync_service.h"

#include <QMetaObject>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>

#include "language/language.h"
#include "links/link_index.h"
#include "platform/native_path.h"
#include "storage/storage_layout.h"
#include "sync/station_sync.h"
#include "sync/sync_log.h"
#include "text/qt_text.h"

namespace travenor::sync {
namespace {

constexpr auto kStatusInterval = std::chrono::seconds(2);

QString TimeOfDay(int seconds) {
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// What is saved in these folders (native paths): the names and sizes of the files, hidden ones
// left out (a save in progress). It changes when a sign-in or a link record is saved.
std::string SavedSignature(const std::vector<std::filesystem::path>& folders) {
    std::vector<std::string> files;
    for (const std::filesystem::path& folder : folders) {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
            const std::string name = entry.path().filename().string();
            if (!name.starts_with('.')) {
                files.push_back(entry.path().string() + "|" + std::to_string(entry.file_size(error)));
            }
        }
    }
    std::sort(files.begin(), files.end());
    std::string signature;
    for (const std::string& file : files) {
        signature += file + "\n";
    }
    return signature;
}

}  // namespace

std::vector<StationDelivery> NewestByStation(const std::string& folder) {
    std::map<int, int> newest;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".jpg" || name.starts_with('.')) {
            continue;  // Syncthing's partial files are hidden or end otherwise
        }
        const tstring logic = vantor::FromNativePath(name);
        const std::optional<int> station = vantor::SignInStation(logic);
        const std::optional<int> seconds = vantor::ParseSignInStem(logic);
        if (station && seconds && *station != vantor::kMainStation) {
            int& known = newest[*station];
            known = std::max(known, *seconds);
        }
    }
    std::vector<StationDelivery> deliveries;
    for (const auto& [station, seconds] : newest) {
        deliveries.push_back({station, seconds});
    }
    return deliveries;
}

QString SyncStatusLine(const SyncStatus& status) {
    const QString stations = ToQt(GetLanStr(u"86"));
    if (!status.answering) {
        return stations + QStringLiteral(": ") + ToQt(GetLanStr(u"98"));
    }
    QString line =
        stations + QStringLiteral(" %1/%2 ").arg(status.connected).arg(status.peers) + ToQt(GetLanStr(u"87"));
    if (status.receiving_stuck) {
        line += QStringLiteral(" · ") + ToQt(GetLanStr(u"102"));
    }
    for (const StationDelivery& delivery : status.deliveries) {
        line += QStringLiteral(" · %1: %2").arg(delivery.station).arg(TimeOfDay(delivery.seconds));
    }
    return line;
}

SyncService::SyncService(SyncServiceSetup setup, const vantor::Clock& clock)
    : setup_(std::move(setup)),
      clock_(clock),
      child_(setup_.syncthing, setup_.api_key),
      worker_([this](const std::stop_token& stop) { Run(stop); }) {
    status_.station = setup_.station;
}

SyncService::~SyncService() {
    worker_.request_stop();
    wake_.notify_all();
    worker_.join();
}

SyncStatus SyncService::Status() const {
    const std::lock_guard lock(mutex_);
    return status_;
}

void SyncService::Join(const PairingCode& main, QObject* context, Done done) {
    Ask([main](StationSync& sync) { return sync.JoinMain(main); }, context, std::move(done));
}

void SyncService::Accept(const PendingDevice& station, QObject* context, Done done) {
    const std::string name = station.name.empty() ? "Vantor " + station.id.substr(0, 7) : station.name;
    Ask([id = station.id, name](StationSync& sync) { return sync.Accept(id, name); }, context,
        std::move(done));
}

void SyncService::Ask(Job job, QObject* context, Done done) {
    {
        const std::lock_guard lock(mutex_);
        requests_.push_back({std::move(job), QPointer<QObject>(context), std::move(done)});
    }
    wake_.notify_all();
}

void SyncService::Answer(Request request, bool ok) {
    QMetaObject::invokeMethod(
        &answers_,
        [context = std::move(request.context), done = std::move(request.done), ok] {
            if (context && done) {
                done(ok);
            }
        },
        Qt::QueuedConnection);
}

void SyncService::Run(const std::stop_token& stop) {
    StationSync sync(child_.Api(), setup_.station, setup_.storage_path, setup_.settings);
    bool ready = false;
    int connected = 0;
    int peers = 0;
    bool stuck = false;
    std::string saved;  // SavedSignature when last looked at
    while (!stop.stop_requested()) {
        const bool answering = sync.DeviceId().has_value();
        if (!answering) {
            ready = false;  // a Syncthing started again is set up again
        } else if (!ready && (ready = sync.SetUp())) {
            qCInfo(lcSync) << "station" << setup_.station << "shares its storage";
        }
        std::deque<Request> requests;
        {
            const std::lock_guard lock(mutex_);
            requests.swap(requests_);
        }
        std::vector<bool> results;
        for (Request& request : requests) {
            results.push_back(ready && request.job(sync));
        }
        if (ready && !sync.IsMain()) {
            LookAtNewSaves(sync, saved);
        }
        SyncStatus status = answering ? ReadStatus(sync, ready) : SyncStatus{};
        status.station = setup_.station;
        if (status.receiving_stuck != stuck) {
            stuck = status.receiving_stuck;
            qCInfo(lcSync) << (stuck ? "receiving stuck" : "receiving again");
        }
        if (status.connected != connected || status.peers != peers) {
            connected = status.connected;
            peers = status.peers;
            qCInfo(lcSync).noquote() << QStringLiteral("connected %1/%2").arg(connected).arg(peers);
        }
        {
            const std::lock_guard lock(mutex_);
            status_ = std::move(status);
        }
        // Answered once the status shows what the steps changed.
        for (std::size_t i = 0; i < requests.size(); ++i) {
            Answer(std::move(requests[i]), results[i]);
        }
        std::unique_lock lock(mutex_);
        wake_.wait_for(lock, stop, kStatusInterval, [this] { return !requests_.empty(); });
    }
}

void SyncService::LookAtNewSaves(StationSync& sync, std::string& saved) const {
    // Syncthing's own watch can miss a file saved into a folder it has just been created (the
    // first sign-in of the day), which then waits for its next full scan, a minute later. The
    // station looks at its own saves every status round and has Syncthing look at once.
    const vantor::StorageLayout storage(clock_, vantor::FromNativePath(setup_.storage_path));
    const std::filesystem::path day(vantor::ToNativePath(storage.TodayFolder()));
    const std::filesystem::path links = std::filesystem::path(setup_.storage_path) /
                                        vantor::ToNativePath(tstring(vantor::links::kLinksFolder));
    std::string now = SavedSignature({vantor::ToNativePath(storage.TodayWithTemplate()),
                                      vantor::ToNativePath(storage.TodayNoTemplate()),
                                      vantor::ToNativePath(storage.TodayAudio()), links});
    if (now == saved) {
        return;
    }
    std::vector<std::string> folders;
    std::error_code error;
    for (const std::filesystem::path& folder : {day, links}) {
        if (std::filesystem::is_directory(folder, error)) {
            folders.push_back(folder.filename().string());
        }
    }
    if (sync.LookAt(folders)) {
        saved = std::move(now);
    }
}

SyncStatus SyncService::ReadStatus(StationSync& sync, bool ready) const {
    SyncStatus status;
    status.answering = true;
    status.ready = ready;
    status.peers = static_cast<int>(sync.Peers().size());
    status.connected = sync.ConnectedPeers();
    if (sync.IsMain()) {
        if (setup_.host) {
            if (const std::optional<PairingCode> code = sync.OwnCode(*setup_.host)) {
                status.own_code = FormatPairingCode(*code);
            }
        }
        status.asking = sync.Asking();
        const vantor::StorageLayout storage(clock_, vantor::FromNativePath(setup_.storage_path));
        status.deliveries = NewestByStation(vantor::ToNativePath(storage.TodayWithTemplate()));
        status.receiving_stuck = sync.ReceivingStuck();
    }
    return status;
}

}  // namespace travenor::sync
