// The running wall under Mesa on an X display (Xvfb): the time from a folder command of 300 photos
// of 1920 x 1080 to the first frame of the built wall, the frame rate and CPU use with those 300
// tiles at 1920 x 1040, and the peak memory. Every figure comes with its ratio against a baseline
// measured in the same process: the empty wall (no tiles) for frames and CPU, a one-photo folder
// for the load time, the memory before the first load for the peak.
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
#include "sample_photos.h"
#include "app/zarn_dlg.h"
#include "platform/native_path.h"
#include "serve_until.h"

namespace {

constexpr int kPhotos = 300;

std::filesystem::path PhotoFolder(int count) {
    return vantor_bench::SamplePhotoFolder(count);
}

using vantor_bench::ServeUntil;

double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double PeakResidentMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// The wall window, made once for the whole run.
struct Wall {
    std::unique_ptr<halvix::CmfcZarnDlg> window;
    double startPeak_MB = 0;
    int loads = 0;

    static Wall& Get() {
        static Wall wall;
        return wall;
    }

    bool Ready() {
        if (window) {
            return window->WallRunning();
        }
        startPeak_MB = PeakResidentMegabytes();
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
        window->CaptureFrame(5000);
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
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

void BM_FolderCommandToFirstFrameOf300Photos(benchmark::State& state) {
    Wall& wall = Wall::Get();
    if (!wall.Ready()) {
        state.SkipWithError("no wall: needs DISPLAY and the installation folder");
        return;
    }
    const auto one = PhotoFolder(1);
    const auto photos = PhotoFolder(kPhotos);
    double baseline = 0;
    double total = 0;
    for (auto _ : state) {
        baseline = wall.Show(one);
        const double seconds = wall.Show(photos);
        state.SetIterationTime(seconds);
        total += seconds;
    }
    const double mean = total / static_cast<double>(state.iterations());
    state.counters["seconds"] = mean;
    state.counters["ratio_vs_one_photo"] = baseline > 0 ? mean / baseline : 0;
    state.counters["peak_MB"] = PeakResidentMegabytes();
    state.counters["peak_ratio_vs_start"] = PeakResidentMegabytes() / wall.startPeak_MB;
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

BENCHMARK(BM_FolderCommandToFirstFrameOf300Photos)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FramesWith300TilesAt1920x1040)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::printf("wall_render_bench: needs an X display (DISPLAY)\n");
        return 0;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication application(argc, argv);
    QString install = qEnvironmentVariable("VANTOR_INSTALL_DIR");
    if (install.isEmpty()) {
        install = QCoreApplication::applicationDirPath() + QStringLiteral("/../Vantor");
    }
    QDir::setCurrent(install);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    Wall::Get().window.reset();
    benchmark::Shutdown();
    return 0;
}
