// The lottery's speed with 1920 x 1080 sign-in pictures on a 1920 x 1080 screen (offscreen):
//   BM_PlainDecode      one full decode of a picture, the baseline of the ratios below
//   BM_RollingTick      one tick of the rolling display: pick, decode, repaint of the picture area
//   BM_RollingSecond    the window rolling on its 20 ms timer for a second: photos shown
//   BM_StopWith25       a stop drawing 25 winners up to the finished grid
// Ratios: divide by BM_PlainDecode of the same run (25 plain decodes for the stop).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QImageReader>
#include <QScreen>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "lottery/param_dialog.h"
#include "lottery/random_source.h"
#include "platform/native_path.h"
#include "sample_photos.h"

namespace {

namespace fs = std::filesystem;
constexpr int kPhotos = 100;

// A working folder whose today ("2026-3-8") holds the sample pictures.
class LotteryFolder {
  public:
    LotteryFolder() : keep_(fs::current_path()) {
        root_ = fs::temp_directory_path() / "vantor-bench-lottery";
        const fs::path today = root_ / "Storage" / "2026-3-8" / "WithTemplate";
        fs::create_directories(today);
        for (const auto& entry : fs::directory_iterator(vantor_bench::SamplePhotoFolder(kPhotos))) {
            fs::copy_file(entry.path(), today / entry.path().filename(), fs::copy_options::skip_existing);
        }
        fs::remove_all(root_ / "lottery");
        fs::current_path(root_);
    }
    ~LotteryFolder() { fs::current_path(keep_); }
    LotteryFolder(const LotteryFolder&) = delete;
    LotteryFolder& operator=(const LotteryFolder&) = delete;

  private:
    fs::path keep_;
    fs::path root_;
};

struct Lottery {
    LotteryFolder folder;
    vantor::ManualClock clock{{2026, 3, 8, 20}};
    travenor::Rand15 random{12345};
    CParamDialog dialog{travenor::LotteryServices{clock, random, {}, {}}};

    Lottery() {
        dialog.LoadPhotos(u"Storage\\2026-3-8\\WithTemplate");
        dialog.show();
        QCoreApplication::processEvents();
    }
};

void BM_PlainDecode(benchmark::State& state) {
    const fs::path folder = vantor_bench::SamplePhotoFolder(kPhotos);
    std::vector<QString> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        files.push_back(QString::fromStdString(entry.path().string()));
    }
    std::size_t next = 0;
    for (auto _ : state) {
        QImageReader reader(files[next++ % files.size()]);
        const QImage image = reader.read();
        benchmark::DoNotOptimize(image.constBits());
    }
}

void BM_RollingTick(benchmark::State& state) {
    Lottery lottery;
    lottery.dialog.OnStartStop();
    for (auto _ : state) {
        lottery.dialog.OnRollingTick();
    }
    lottery.dialog.OnReturn();
}

void BM_RollingSecond(benchmark::State& state) {
    Lottery lottery;
    for (auto _ : state) {
        const int before = lottery.dialog.TicksShown();
        lottery.dialog.OnStartStop();
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 1000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
        }
        const double seconds = clock.elapsed() / 1000.0;
        lottery.dialog.OnReturn();
        state.counters["shown_per_s"] = (lottery.dialog.TicksShown() - before) / seconds;
        lottery.dialog.setVisible(true);
    }
}

void BM_StopWith25(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        Lottery lottery;
        lottery.dialog.CountList().setCurrentIndex(4);
        lottery.dialog.OnStartStop();
        state.ResumeTiming();
        lottery.dialog.OnStartStop();  // the stop: 25 winners, 25 copies, the grid
        lottery.dialog.repaint();
        state.PauseTiming();
        benchmark::DoNotOptimize(lottery.dialog.BackgroundPicture().constBits());
        state.ResumeTiming();
    }
}

}  // namespace

BENCHMARK(BM_PlainDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RollingTick)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RollingSecond)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_StopWith25)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv) {
    const fs::path config = fs::temp_directory_path() / "vantor-bench-screen.json";
    std::ofstream(config)
        << R"({"screens":[{"name":"hd","x":0,"y":0,"width":1920,"height":1080,"logicalDpi":96}]})";
    const std::string platform = "offscreen:configfile=" + config.string();
    setenv("QT_QPA_PLATFORM", platform.c_str(), 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
