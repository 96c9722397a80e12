// The live camera path at 30 frames per second for 10 s: a 1280x720 test camera through the
// appsink, the hand-over, the display thread and the frame made ready for painting.
// Figures: frames made ready per frame the camera produced, the delay from a frame's arrival to
// its being ready, and CPU time per frame as a ratio to the camera alone (the same test camera
// with only the device layer fetching its frames), run first in the same process.
#include <benchmark/benchmark.h>
#include <time.h>
#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>
#include "camera/camera_capture.h"
#include "camera/sample_grabber_callback.h"
#include "camera/test_cameras.h"
#include "platform/message_box.h"

using namespace std::chrono_literals;
using vantor::camera::CameraSize;
using vantor::camera::PreviewFrame;
using vantor::camera::TestCameraDefinition;
using vantor::camera::TestCameraProvider;

namespace {

constexpr auto kRun = 10s;

double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

TestCameraDefinition Camera1280x720() {
    TestCameraDefinition definition;
    definition.name = "Bench Camera";
    definition.caps = "video/x-raw,format=YUY2,width=1280,height=720,framerate=30/1";
    definition.pattern = "ball";
    return definition;
}

// Records when each frame became ready to paint.
class TimingSink : public vantor::camera::FrameSink {
  public:
    QSize ClientSize() const override { return QSize(1280, 720); }
    void PresentFrame(PreviewFrame frame) override {
        const double delay_ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - frame.arrived)
                .count();
        std::lock_guard lock(mutex_);
        delays_ms_.push_back(delay_ms);
    }
    std::vector<double> Delays() {
        std::lock_guard lock(mutex_);
        return delays_ms_;
    }

  private:
    std::mutex mutex_;  // guards delays_ms_
    std::vector<double> delays_ms_;
};

double g_camera_only_cpu_per_frame = 0;

void BM_CameraOnly(benchmark::State& state) {
    for (auto _ : state) {
        TestCameraProvider provider({Camera1280x720()});
        CVideoDeviceSet devices(provider);
        if (!devices.SetupDevice(0, 1280, 720)) {
            state.SkipWithError("the test camera did not start");
            return;
        }
        std::atomic<bool> run{true};
        long long fetched = 0;
        const double cpu_start = ProcessCpuSeconds();
        std::thread fetcher([&] {
            while (run) {
                if (devices.IsFrameNew(0)) {
                    devices.GetPixels(0);
                    ++fetched;
                }
                std::this_thread::sleep_for(5ms);
            }
        });
        std::this_thread::sleep_for(kRun);
        run = false;
        fetcher.join();
        const double cpu = ProcessCpuSeconds() - cpu_start;
        const double produced = static_cast<double>(devices.Receiver(0)->Tally().received);
        g_camera_only_cpu_per_frame = cpu / std::max(produced, 1.0);
        state.counters["frames_produced"] = produced;
        state.counters["fetched_per_produced"] = static_cast<double>(fetched) / std::max(produced, 1.0);
        state.counters["cpu_ms_per_frame"] = g_camera_only_cpu_per_frame * 1000.0;
        state.counters["cpu_share_of_one_core"] = cpu / std::chrono::duration<double>(kRun).count();
    }
}

void RunWholePath(benchmark::State& state, CameraSize output) {
    for (auto _ : state) {
        vantor::RecordingMessageBoxes boxes;
        vantor::ScopedMessageBoxService scope(boxes);
        TestCameraProvider provider({Camera1280x720()});
        TimingSink sink;
        CCameraCapture camera(provider, output);
        camera.SetDisplayWindow(&sink);
        const double cpu_start = ProcessCpuSeconds();
        if (!camera.Open()) {
            state.SkipWithError("the test camera did not start");
            return;
        }
        std::this_thread::sleep_for(kRun);
        const double produced = static_cast<double>(camera.DeviceSet().Receiver(0)->Tally().received);
        camera.Close();
        const double cpu = ProcessCpuSeconds() - cpu_start;

        std::vector<double> delays = sink.Delays();
        std::sort(delays.begin(), delays.end());
        double sum = 0;
        for (double d : delays) {
            sum += d;
        }
        const double frames = static_cast<double>(delays.size());
        const double cpu_per_frame = cpu / std::max(produced, 1.0);
        state.counters["frames_produced"] = produced;
        state.counters["delivered_per_produced"] = frames / std::max(produced, 1.0);
        state.counters["delay_ms_mean"] = delays.empty() ? 0 : sum / frames;
        state.counters["delay_ms_p99"] = delays.empty() ? 0 : delays[static_cast<std::size_t>(frames * 0.99)];
        state.counters["delay_ms_max"] = delays.empty() ? 0 : delays.back();
        state.counters["delay_in_frame_intervals_max"] = delays.empty() ? 0 : delays.back() / (1000.0 / 30.0);
        state.counters["cpu_ms_per_frame"] = cpu_per_frame * 1000.0;
        state.counters["cpu_share_of_one_core"] = cpu / std::chrono::duration<double>(kRun).count();
        if (g_camera_only_cpu_per_frame > 0) {
            state.counters["cpu_ratio_to_camera_only"] = cpu_per_frame / g_camera_only_cpu_per_frame;
        }
    }
}

void BM_WholePath_1280x720(benchmark::State& state) {
    RunWholePath(state, CameraSize{1280, 720});
}
void BM_WholePath_ScaledTo1920x1080(benchmark::State& state) {
    RunWholePath(state, CameraSize{1920, 1080});
}

}  // namespace

BENCHMARK(BM_CameraOnly)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(BM_WholePath_1280x720)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(BM_WholePath_ScaledTo1920x1080)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

BENCHMARK_MAIN();
