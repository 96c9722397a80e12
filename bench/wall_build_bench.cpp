// Building the wall from a folder of 300 photos of 1920 x 1080: the CPU part (list, decode, fit,
// glow) with the reduced JPEG decode and with full decode plus scaling, and the whole build with
// tiles on Irrlicht's null device. The photos are drawn once and kept in a temporary folder.
#include <benchmark/benchmark.h>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <sys/resource.h>
#include <chrono>
#include <filesystem>
#include "engine/irr_engine.h"
#include "engine/irr_ptr.h"
#include "platform/native_path.h"
#include "scene/image_spider.h"
#include "scene/wall_manager.h"
#include "scene/wall_plan.h"

namespace {

constexpr int kPhotos = 300;

// Photos that look like photos to the JPEG coder: gradients, shapes and some noise.
QImage Photo(int seed) {
    QImage image(1920, 1080, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, 1920, 1080);
    sky.setColorAt(0, QColor::fromHsv((seed * 37) % 360, 120, 230));
    sky.setColorAt(1, QColor::fromHsv((seed * 91) % 360, 200, 90));
    painter.fillRect(image.rect(), sky);
    for (int i = 0; i < 12; ++i) {
        painter.setBrush(QColor::fromHsv((seed * 13 + i * 29) % 360, 180, 200));
        painter.drawEllipse(QPoint((seed * 97 + i * 211) % 1920, (seed * 53 + i * 131) % 1080), 60 + i * 9,
                            40 + i * 7);
    }
    painter.end();
    quint32 noise = static_cast<quint32>(seed) * 2654435761u + 1;
    for (int y = 0; y < image.height(); y += 2) {
        QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); x += 3) {
            noise = noise * 1664525u + 1013904223u;
            const int d = static_cast<int>(noise >> 28) - 8;
            const QRgb p = row[x];
            row[x] = qRgb(qBound(0, qRed(p) + d, 255), qBound(0, qGreen(p) + d, 255),
                          qBound(0, qBlue(p) + d, 255));
        }
    }
    return image;
}

const std::filesystem::path& PhotoFolder() {
    static const std::filesystem::path folder = [] {
        const auto path = std::filesystem::temp_directory_path() / "vantor-wall-bench-300x1920x1080";
        std::filesystem::create_directories(path);
        for (int i = 0; i < kPhotos; ++i) {
            const auto file = path / ("12-" + std::to_string(i / 60) + "-" + std::to_string(i % 60) + ".jpg");
            if (!std::filesystem::exists(file)) {
                Photo(i).save(QString::fromStdString(file.string()), "JPG", 90);
            }
        }
        return path;
    }();
    return folder;
}

struct NullDevice {
    irr_ptr<irr::IrrlichtDevice> device{irr::createDevice(irr::video::EDT_NULL)};
};

double PlanSeconds(irr::IrrlichtDevice* device, halvix::DecodeMode mode, int threads) {
    const auto start = std::chrono::steady_clock::now();
    halvix::CLocalImageSpider source(vantor::FromNativePath(PhotoFolder().string()), device->getFileSystem(),
                                     mode);
    const halvix::WallPlan plan = halvix::PlanWall(source, threads);
    benchmark::DoNotOptimize(plan.tiles.data());
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_WallPlan(benchmark::State& state) {
    const auto mode = state.range(0) == 0 ? halvix::DecodeMode::Reduced : halvix::DecodeMode::Full;
    const int threads = static_cast<int>(state.range(1));
    PhotoFolder();
    const auto keep = std::filesystem::current_path();
    NullDevice null;
    for (auto _ : state) {
        state.SetIterationTime(PlanSeconds(null.device.get(), mode, threads));
    }
    std::filesystem::current_path(keep);
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
    const auto keep = std::filesystem::current_path();
    NullDevice null;
    double reduced = 0;
    double full = 0;
    for (auto _ : state) {
        full += PlanSeconds(null.device.get(), halvix::DecodeMode::Full, 1);
        reduced += PlanSeconds(null.device.get(), halvix::DecodeMode::Reduced, 1);
    }
    std::filesystem::current_path(keep);
    state.counters["full_over_reduced"] = full / reduced;
    state.counters["reduced_ms_per_photo"] =
        reduced * 1000.0 / (kPhotos * static_cast<double>(state.iterations()));
    state.counters["full_ms_per_photo"] = full * 1000.0 / (kPhotos * static_cast<double>(state.iterations()));
}
BENCHMARK(BM_ReducedAgainstFull)->Unit(benchmark::kMillisecond)->Iterations(1);

// The whole build: list, prepare, then every texture and tile (on the null device).
void BM_WallBuildWithTiles(benchmark::State& state) {
    PhotoFolder();
    const auto keep = std::filesystem::current_path();
    NullDevice null;
    halvix::CWallManager wall(null.device.get());
    for (auto _ : state) {
        wall.SetFolder(vantor::FromNativePath(PhotoFolder().string()));
        benchmark::DoNotOptimize(wall.Build());
        while (!wall.CommitPending()) {
        }
    }
    std::filesystem::current_path(keep);
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
