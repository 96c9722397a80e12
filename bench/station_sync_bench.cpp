// Two stations of one event on this machine: station 2 saves, its sharing (the station's own
// service, which also has Syncthing scan new saves) delivers through its Syncthing to the main
// station's, and the main station's live wall (300 photos shown, under Mesa on an X display)
// draws the tile. The time from the save's rename at station 2 to the first frame drawn with its
// tile at the main station, median and worst over 50 sign-ins, one every 1.5 s.
//
// Run with DISPLAY set and VANTOR_INSTALL_DIR naming the installation folder (default: the
// folder Vantor beside this program's folder); syncthing must be installed.
#include <benchmark/benchmark.h>
#include <QObject>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <vector>
#include "app/live_wall.h"
#include "app/zarn_dlg.h"
#include "platform/native_path.h"
#include "sample_photos.h"
#include "serve_until.h"
#include "platform/local_clock.h"
#include "sync/station_sync.h"
#include "sync/sync_service.h"
#include "sync/syncthing_child.h"
#include "sync_station.h"
#include "wall_bench_main.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using vantor_bench::ServeUntil;
using namespace travenor::sync;

constexpr int kSignIns = 50;

constexpr char kDay[] = "2026-12-9";

// The main station of the bench with its day's folder of composed pictures.
struct Station : vantor_test::SyncStation {
    explicit Station(int number) : SyncStation(number) { fs::create_directories(Day()); }
    fs::path Day() const { return fs::path(Storage().toStdString()) / kDay / "WithTemplate"; }
};

// Station 2 as the station runs it: its sharing service on a clock that says the bench's day.
struct ServiceStation {
    QTemporaryDir folder;
    vantor::ManualClock clock{{2026, 12, 9, 20, 0, 0}};
    std::unique_ptr<SyncService> service;

    ServiceStation() {
        fs::create_directories(Day());
        SyncServiceSetup setup;
        setup.settings.on = true;
        setup.settings.address = "127.0.0.1";
        setup.settings.port = vantor_test::FreePort();
        setup.settings.control_port = vantor_test::FreePort();
        setup.syncthing = {QStringLiteral("syncthing"), folder.filePath("Sync"), setup.settings.address,
                           setup.settings.port, setup.settings.control_port};
        setup.station = 2;
        setup.storage_path = folder.filePath("Storage").toStdString();
        setup.api_key = "key-2";
        service = std::make_unique<SyncService>(setup, clock);
    }
    fs::path Day() const {
        return fs::path(folder.filePath("Storage").toStdString()) / kDay / "WithTemplate";
    }
};

struct EventRun {
    std::unique_ptr<Station> main;
    std::unique_ptr<ServiceStation> two;
    std::unique_ptr<halvix::CmfcZarnDlg> wall;
    std::map<std::string, Clock::time_point> added;  // name: when it became a tile
    int next = 0;

    bool Start() {
        main = std::make_unique<Station>(1);
        two = std::make_unique<ServiceStation>();
        if (!ServeUntil([&] { return main->sync->SetUp() && two->service->Status().ready; }, 60000)) {
            return false;
        }
        const std::optional<PairingCode> code = main->sync->OwnCode("127.0.0.1");
        QObject context;
        bool joined = false;
        if (code) {
            two->service->Join(*code, &context, [&](bool ok) { joined = ok; });
        }
        if (!code || !ServeUntil([&] { return joined && !main->sync->Asking().empty(); }, 60000) ||
            !main->sync->Accept(main->sync->Asking().front().id, "Vantor 2") ||
            !ServeUntil([&] { return main->sync->ConnectedPeers() == 1; }, 60000)) {
            return false;
        }
        for (const auto& photo : fs::directory_iterator(vantor_bench::SamplePhotoFolder(300))) {
            fs::copy_file(photo.path(), main->Day() / photo.path().filename());
        }
        halvix::WallServices services;
        services.workArea = QRect(0, 0, 1920, 1040);
        services.screenWidth = 1920;
        services.playSound = [](const tstring&) {};
        services.live = halvix::LiveSettings{true, true, std::chrono::seconds(1)};
        wall = std::make_unique<halvix::CmfcZarnDlg>(services);
        if (!wall->Initialise() || wall->Live() == nullptr) {
            return false;
        }
        wall->show();
        wall->Live()->on_tile_added = [this](const std::string& name) { added[name] = Clock::now(); };
        const tstring path = vantor::FromNativePath(main->Day().string());
        wall->FolderCommand(path);
        return ServeUntil([&] { return wall->CurrentFolder() == path; }, 120000) &&
               ServeUntil([&] { return wall->Live()->Watching(); }, 10000);
    }

    // Seconds from station 2's save (written under a hidden name, renamed into place) to the first
    // frame the main station's wall drew with its tile; -1 when it never came.
    double SignIn() {
        const std::string name =
            "20-" + std::to_string(next / 60) + "-" + std::to_string(next % 60) + "~2.jpg";
        ++next;
        const fs::path staged = two->Day() / ("." + name + ".part");
        fs::copy_file(vantor_bench::SamplePhotoFolder(300) / "12-0-7.jpg", staged);
        const auto saved = Clock::now();
        fs::rename(staged, two->Day() / name);
        if (!ServeUntil([&] { return added.contains(name); }, 60000)) {
            return -1;
        }
        const std::uint64_t frames = wall->Renderer().FramesDrawn();
        ServeUntil([&] { return wall->Renderer().FramesDrawn() > frames; }, 2000);
        return std::chrono::duration<double>(Clock::now() - saved).count();
    }
};

EventRun& Run() {
    static EventRun run;
    return run;
}

void BM_SaveAtAnotherStationToTileOnTheMainWall(benchmark::State& state) {
    EventRun& run = Run();
    if (!run.wall && !run.Start()) {
        state.SkipWithError("no event: needs DISPLAY, syncthing and the installation folder");
        return;
    }
    std::vector<double> seconds;
    for (auto _ : state) {
        for (int i = 0; i < kSignIns; ++i) {
            const double took = run.SignIn();
            seconds.push_back(took < 0 ? 1e9 : took);
            ServeUntil([] { return false; }, 1500);  // guests come one after the other
        }
        state.SetIterationTime(seconds.back());
    }
    std::sort(seconds.begin(), seconds.end());
    state.counters["sign_ins"] = static_cast<double>(seconds.size());
    state.counters["median_s"] = seconds[seconds.size() / 2];
    state.counters["worst_s"] = seconds.back();
}

BENCHMARK(BM_SaveAtAnotherStationToTileOnTheMainWall)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return vantor_bench::RunWallBenchmarks(argc, argv, "station_sync_bench", [] {
        Run().wall.reset();
        Run().two.reset();
        Run().main.reset();
    });
}
