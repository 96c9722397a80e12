// Building the wall from a folder of 300 photos of 1920 x 1080: the CPU part (list, decode, fit,
// glow) with the reduced JPEG decode and with full decode plus scaling, and the whole build with
// tiles on Irrlicht's null device. The photos are drawn once and kept in a temporary folder.
#include <benchmark/benchmark.h>
#include <QGuiApplication>
#include <QImage>
#include <sys/resource.h>
#include <chrono>
#include <filesystem>
#include "sample_photos.h"
#include "engine/irr_engine.h"
#include "engine/irr_ptr.h"
#include "platform/native_path.h"
#include "scene/image_spider.h"
#include "scene/wall_manager.h"
#include "scene/wall_plan.h"

namespace {

constexpr int kPhotos = 300;

const std::filesystem::path& PhotoFolder() {
    static const std::filesystem::path folder = vantor_bench::SamplePhotoFolder(kPhotos);
    return folder;
}

struct NullDevice {
    irr_ptr<irr::IrrlichtDevice> device{irr::createDevice(irr::video::EDT_NULL)};
};

double PlanSeconds(halvix::DecodeMode mode, int threads) {
    const auto start = std::chrono::steady_clock::now();
    halvix::CLocalImageSpider source(vantor::FromNativePath(PhotoFolder().string()), mode);
    const halvix::WallPlan plan = halvix::PlanWall(source, threads);
    benchmark::DoNotOptimize(plan.tiles.data());
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_WallPlan(benchmark::State& state) {
    const auto mode = state.range(0) == 0 ? halvix::DecodeMode::Reduced : halvix::DecodeMode::Full;
    const int threads = static_cast<int>(state.range(1));
    PhotoFolder();
    for (auto _ : state) {
        state.SetIterationTime(PlanSeconds(mode, threads));
    }
    state.SetLabel(mode == halvix::DecodeMode::Reduced ? "reduced decode" : "full decode + scale");
    state.counters["photos"] = kPhotos;
}
BENCHMARK(BM_WallPlan)
    ->ArgsProduct({{0, 1}, {1, 0}})
    ->ArgNames({"full", "threads"})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

// Both paths in the same run, one thread each: the ratio is what the reduced decode saves.
void BM_ReducedAgainstFull(benchmark::State& state) {
    PhotoFolder();
    double reduced = 0;
    double full = 0;
    for (auto _ : state) {
        full += PlanSeconds(halvix::DecodeMode::Full, 1);
        reduced += PlanSeconds(halvix::DecodeMode::Reduced, 1);
    }
    state.counters["full_over_reduced"] = full / reduced;
    state.counters["reduced_ms_per_photo"] =
        reduced * 1000.0 / (kPhotos * static_cast<double>(state.iterations()));
    state.counters["full_ms_per_photo"] = full * 1000.0 / (kPhotos * static_cast<double>(state.iterations()));
}
BENCHMARK(BM_ReducedAgainstFull)->Unit(benchmark::kMillisecond)->Iterations(1);

// The whole build: list, prepare, then every texture and tile (on the null device).
void BM_WallBuildWithTiles(benchmark::State& state) {
    PhotoFolder();
    NullDevice null;
    halvix::CWallManager wall(null.device.get());
    for (auto _ : state) {
        wall.SetFolder(vantor::FromNativePath(PhotoFolder().string()));
        benchmark::DoNotOptimize(wall.Build());
    }
    state.counters["tiles"] = static_cast<double>(wall.Tiles().size());
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;  // whole process so far
}
BENCHMARK(BM_WallBuildWithTiles)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
