// The running wall under Mesa on an X display (Xvfb): the time from a folder command of 300 or
// 2000 photos of 1920 x 1080 to the first frame of the built wall (with the cores the load kept
// busy), the frame rate and CPU use with 300 tiles at 1920 x 1040, and the memory a load takes. Every figure
// comes with its ratio against a baseline measured in the same process: the CPU preparation of the same
// photos on the same cores (and a one-photo folder) for the load time, the empty wall (no tiles) for frames
// and CPU, the textures' own size for the memory a load of 100, 300 or 600 photos adds at its peak.
//
// Run with DISPLAY set and VANTOR_INSTALL_DIR naming the installation folder (default: the
// folder Vantor beside this program's folder).
#include <benchmark/benchmark.h>
#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <sys/resource.h>
#include "process_memory.h"
#include "sample_photos.h"
#include "app/wall_scene_host.h"
#include "app/zarn_dlg.h"
#include "engine/irr_engine.h"
#include "platform/native_path.h"
#include "scene/wall_manager.h"
#include "scene/wall_plan.h"
#include "serve_until.h"
#include "wall_bench_main.h"

namespace {

constexpr int kPhotos = 300;

std::filesystem::path PhotoFolder(int count) {
    return vantor_bench::SamplePhotoFolder(count);
}

using vantor_bench::ServeUntil;
using vantor_test::ResetPeak;
using vantor_test::StatusMegabytes;

double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// The CPU preparation of a folder's tiles on every core, as the wall does it.
double PrepareSeconds(const std::filesystem::path& folder) {
    const auto start = std::chrono::steady_clock::now();
    halvix::CLocalImageSpider source(vantor::FromNativePath(folder.string()));
    const halvix::WallPlan plan = halvix::PlanWall(source);
    benchmark::DoNotOptimize(plan.tiles.data());
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double PeakResidentMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// The wall window, made once for the whole run.
struct Wall {
    std::unique_ptr<halvix::CmfcZarnDlg> window;
    int loads = 0;
    double lastShown_s = 0;  // of the last Show: from the command to the folder named shown

    static Wall& Get() {
        static Wall wall;
        return wall;
    }

    bool Ready() {
        if (window) {
            return window->WallRunning();
        }
        halvix::WallServices services;
        services.workArea = QRect(0, 0, 1920, 1040);
        services.screenWidth = 1920;
        services.playSound = [](const tstring&) {};
        window = std::make_unique<halvix::CmfcZarnDlg>(services);
        if (!window->Initialise()) {
            return false;
        }
        window->show();
        return true;
    }

    // Shows the folder and returns the seconds from the command to the first frame of the built
    // wall. The path is spelled differently each time so that it never counts as unchanged.
    double Show(const std::filesystem::path& folder) {
        const tstring path = vantor::FromNativePath(folder.string()) + tstring(u"\\") +
                             tstring(loads++ % 2 == 0 ? u"." : u".\\.");
        const auto start = std::chrono::steady_clock::now();
        window->FolderCommand(path);
        if (!ServeUntil([&] { return window->CurrentFolder() == path; }, 120000)) {
            return -1;
        }
        lastShown_s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        window->CaptureFrame(5000);
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }

    // The textures of the shown tiles (16 bits a pixel), in megabytes.
    double TextureMegabytes() {
        halvix::WallLockGuard lock(window->Lock());
        double bytes = 0;
        for (irr::scene::ISceneNode* tile : window->SceneHost()->Wall()->Tiles()) {
            bytes += static_cast<double>(tile->getScale().X) * tile->getScale().Y * 2.0;
        }
        return bytes / (1024.0 * 1024.0);
    }

    struct Rate {
        double fps = 0;
        double cpu_percent = 0;
    };
    Rate Measure(double seconds) {
        const std::uint64_t frames = window->Renderer().FramesDrawn();
        const double cpu = ProcessCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        ServeUntil(
            [&] { return std::chrono::steady_clock::now() - start > std::chrono::duration<double>(seconds); },
            static_cast<int>(seconds * 1000) + 1000);
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        Rate rate;
        rate.fps = static_cast<double>(window->Renderer().FramesDrawn() - frames) / elapsed;
        rate.cpu_percent = 100.0 * (ProcessCpuSeconds() - cpu) / elapsed;
        return rate;
    }
};

void BM_FolderCommandToFirstFrame(benchmark::State& state) {
    Wall& wall = Wall::Get();
    if (!wall.Ready()) {
        state.SkipWithError("no wall: needs DISPLAY and the installation folder");
        return;
    }
    const auto one = PhotoFolder(1);
    const auto photos = PhotoFolder(static_cast<int>(state.range(0)));
    double baseline = 0;
    double prepare = 0;
    double total = 0;
    double shown = 0;
    double prepare_cpu = 0;
    double load_cpu = 0;
    for (auto _ : state) {
        baseline = wall.Show(one);
        const double cpu_before_prepare = ProcessCpuSeconds();
        prepare += PrepareSeconds(photos);
        const double cpu_before_load = ProcessCpuSeconds();
        prepare_cpu += cpu_before_load - cpu_before_prepare;
        const double seconds = wall.Show(photos);
        load_cpu += ProcessCpuSeconds() - cpu_before_load;
        state.SetIterationTime(seconds);
        total += seconds;
        shown += wall.lastShown_s;
    }
    const double iterations = static_cast<double>(state.iterations());
    const double mean = total / iterations;
    state.counters["seconds"] = mean;
    state.counters["prepare_seconds"] = prepare / iterations;
    state.counters["shown_seconds"] = shown / iterations;
    state.counters["ratio_vs_prepare"] = mean / (prepare / iterations);
    // Cores kept busy: below the processor count, threads wait instead of working.
    state.counters["prepare_cores_busy"] = prepare_cpu / prepare;
    state.counters["load_cores_busy"] = load_cpu / total;
    state.counters["ratio_vs_one_photo"] = baseline > 0 ? mean / baseline : 0;
}

// The memory a load adds at its peak, against the textures' own size: the wall first shows an
// empty folder, so that no other wall's textures count.
void BM_LoadMemory(benchmark::State& state) {
    Wall& wall = Wall::Get();
    if (!wall.Ready()) {
        state.SkipWithError("no wall: needs DISPLAY and the installation folder");
        return;
    }
    const int count = static_cast<int>(state.range(0));
    const auto photos = PhotoFolder(count);
    std::filesystem::path empty = std::filesystem::temp_directory_path() / "vantor-wall-render-bench-empty";
    std::filesystem::create_directories(empty);
    double added = 0;
    double textures = 0;
    for (auto _ : state) {
        wall.Show(empty);
        const double before = StatusMegabytes("VmRSS");
        ResetPeak();
        state.SetIterationTime(wall.Show(photos));
        added = StatusMegabytes("VmHWM") - before;
        textures = wall.TextureMegabytes();
    }
    state.counters["photos"] = count;
    state.counters["peak_added_MB"] = added;
    state.counters["textures_MB"] = textures;
    state.counters["added_over_textures"] = textures > 0 ? added / textures : 0;
}

void BM_FramesWith300TilesAt1920x1040(benchmark::State& state) {
    Wall& wall = Wall::Get();
    if (!wall.Ready()) {
        state.SkipWithError("no wall: needs DISPLAY and the installation folder");
        return;
    }
    std::filesystem::path empty = std::filesystem::temp_directory_path() / "vantor-wall-render-bench-empty";
    std::filesystem::create_directories(empty);
    Wall::Rate baseline;
    Wall::Rate loaded;
    for (auto _ : state) {
        wall.Show(empty);
        baseline = wall.Measure(3.0);
        wall.Show(PhotoFolder(kPhotos));
        loaded = wall.Measure(5.0);
        state.SetIterationTime(5.0);
    }
    state.counters["fps"] = loaded.fps;
    state.counters["cpu_percent"] = loaded.cpu_percent;
    state.counters["empty_fps"] = baseline.fps;
    state.counters["empty_cpu_percent"] = baseline.cpu_percent;
    state.counters["fps_ratio_vs_empty"] = baseline.fps > 0 ? loaded.fps / baseline.fps : 0;
    state.counters["cpu_ratio_vs_empty"] =
        baseline.cpu_percent > 0 ? loaded.cpu_percent / baseline.cpu_percent : 0;
    state.counters["peak_MB"] = PeakResidentMegabytes();
}

BENCHMARK(BM_FolderCommandToFirstFrame)
    ->Arg(kPhotos)
    ->Arg(2000)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FramesWith300TilesAt1920x1040)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadMemory)
    ->Arg(100)
    ->Arg(300)
    ->Arg(600)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return vantor_bench::RunWallBenchmarks(argc, argv, "wall_render_bench",
                                           [] { Wall::Get().window.reset(); });
}
