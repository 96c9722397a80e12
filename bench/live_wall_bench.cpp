// The live wall under Mesa on an X display (Xvfb), with a wall of 300 photos of 1920 x 1080
// shown: the time from a sign-in's rename into the folder to the first frame drawn with its tile,
// median and worst over 50 sign-ins; and the frame rate while sign-ins arrive (one every 1.5 s,
// each announced) against the frame rate of the same wall with none, measured in the same run.
//
// Run with DISPLAY set and VANTOR_INSTALL_DIR naming the installation folder (default: the
// folder Vantor beside this program's folder).
#include <benchmark/benchmark.h>
#include <QApplication>
#include <QDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <vector>
#include "app/live_wall.h"
#include "app/zarn_dlg.h"
#include "platform/native_path.h"
#include "sample_photos.h"
#include "serve_until.h"
#include "wall_bench_main.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using vantor_bench::ServeUntil;

constexpr int kSignIns = 50;

struct LiveWallRun {
    std::unique_ptr<halvix::CmfcZarnDlg> window;
    fs::path day;
    std::map<std::string, Clock::time_point> added;  // name: when it became a tile
    int next = 0;

    bool Start() {
        halvix::WallServices services;
        services.workArea = QRect(0, 0, 1920, 1040);
        services.screenWidth = 1920;
        services.playSound = [](const tstring&) {};
        services.live = halvix::LiveSettings{true, true, std::chrono::seconds(1)};
        window = std::make_unique<halvix::CmfcZarnDlg>(services);
        if (!window->Initialise() || window->Live() == nullptr) {
            return false;
        }
        window->show();
        window->Live()->on_tile_added = [this](const std::string& name) { added[name] = Clock::now(); };
        day = fs::temp_directory_path() / "vantor-live-wall-bench" / "WithTemplate";
        fs::remove_all(day.parent_path());
        fs::create_directories(day);
        for (const auto& photo : fs::directory_iterator(vantor_bench::SamplePhotoFolder(300))) {
            fs::copy_file(photo.path(), day / photo.path().filename());
        }
        const tstring path = vantor::FromNativePath(day.string());
        window->FolderCommand(path);
        return ServeUntil([&] { return window->CurrentFolder() == path; }, 120000) &&
               ServeUntil([&] { return window->Live()->Watching(); }, 10000);
    }

    // A sign-in as the station saves it: written under a temporary name, renamed into place.
    std::string SignIn() {
        const fs::path photo = vantor_bench::SamplePhotoFolder(300) / "12-0-7.jpg";
        const std::string name = "20-" + std::to_string(next / 60) + "-" + std::to_string(next % 60) + ".jpg";
        ++next;
        fs::copy_file(photo, day / ("." + name + ".tmp"));
        return name;
    }

    // Seconds from the rename to the first frame drawn with the tile; -1 when it never came.
    double Arrive(const std::string& name) {
        const auto renamed = Clock::now();
        fs::rename(day / ("." + name + ".tmp"), day / name);
        if (!ServeUntil([&] { return added.contains(name); }, 10000)) {
            return -1;
        }
        const std::uint64_t frames = window->Renderer().FramesDrawn();
        ServeUntil([&] { return window->Renderer().FramesDrawn() > frames; }, 2000);
        return std::chrono::duration<double>(Clock::now() - renamed).count();
    }

    double FramesPerSecond(double seconds, const std::function<void()>& during = {}) {
        const std::uint64_t frames = window->Renderer().FramesDrawn();
        const auto start = Clock::now();
        auto next_arrival = start;
        ServeUntil(
            [&] {
                if (during && Clock::now() >= next_arrival) {
                    during();
                    next_arrival += std::chrono::milliseconds(1500);
                }
                return Clock::now() - start > std::chrono::duration<double>(seconds);
            },
            static_cast<int>(seconds * 1000) + 15000);
        return static_cast<double>(window->Renderer().FramesDrawn() - frames) /
               std::chrono::duration<double>(Clock::now() - start).count();
    }
};

LiveWallRun& Run() {
    static LiveWallRun run;
    return run;
}

void BM_SaveToTileOnScreen(benchmark::State& state) {
    LiveWallRun& run = Run();
    if (!run.window && !run.Start()) {
        state.SkipWithError("no live wall: needs DISPLAY and the installation folder");
        return;
    }
    std::vector<double> seconds;
    for (auto _ : state) {
        for (int i = 0; i < kSignIns; ++i) {
            const double took = run.Arrive(run.SignIn());
            seconds.push_back(took < 0 ? 1e9 : took);
            ServeUntil([] { return false; }, 300);  // guests come one after the other
        }
        state.SetIterationTime(seconds.back());
    }
    std::sort(seconds.begin(), seconds.end());
    state.counters["sign_ins"] = static_cast<double>(seconds.size());
    state.counters["median_s"] = seconds[seconds.size() / 2];
    state.counters["worst_s"] = seconds.back();
}

void BM_FrameRateWhileTilesArrive(benchmark::State& state) {
    LiveWallRun& run = Run();
    if (!run.window && !run.Start()) {
        state.SkipWithError("no live wall: needs DISPLAY and the installation folder");
        return;
    }
    double quiet = 0;
    double arriving = 0;
    for (auto _ : state) {
        ServeUntil([&] { return run.window->Live()->Announced().Idle(); }, 30000);
        quiet = run.FramesPerSecond(15);
        arriving = run.FramesPerSecond(15, [&] {
            const std::string name = run.SignIn();
            fs::rename(run.day / ("." + name + ".tmp"), run.day / name);
        });
        state.SetIterationTime(30);
    }
    state.counters["fps_quiet"] = quiet;
    state.counters["fps_arriving"] = arriving;
    state.counters["ratio_arriving_vs_quiet"] = quiet > 0 ? arriving / quiet : 0;
}

BENCHMARK(BM_SaveToTileOnScreen)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameRateWhileTilesArrive)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return vantor_bench::RunWallBenchmarks(argc, argv, "live_wall_bench", [] {
        Run().window.reset();
        fs::remove_all(Run().day.parent_path());
    });
}
