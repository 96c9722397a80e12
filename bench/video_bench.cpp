// The video library with full-HD H.264 files made at the start of the run (a moving ball, 30
// frames per second, one key frame every 2 s):
//  - the thumbnail of a 12 s file: GrabVideoFrame at 10 s, against the same file's first frame
//    decoded by a gst-launch-1.0 process (demuxer, parser, decoder, one frame) as the baseline;
//    figure: the grab's time as a ratio to the baseline's;
//  - a 30 s file played to its end through the library into a native 960 x 720 window, as the
//    wall's video window: frames the sink drew and dropped, wall time over the film's length, CPU.
// The playing needs an X display (DISPLAY, for example Xvfb); the thumbnail does not.
#include <benchmark/benchmark.h>
#include <gst/gst.h>
#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include "gst_media_graph.h"
#include "gst_ptr.h"
#include "gst_runtime.h"
#include "media_probe.h"
#include "platform/native_path.h"
#include "zorvane_window.h"
#include "video_surface.h"
#include "video_library.h"
#include "serve_until.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::int64_t kSecond_ns = 1'000'000'000;

double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A 1920 x 1080 H.264 film of the given length in a QuickTime file, made once per run in a
// temporary folder; an empty path when the encoder is missing.
std::filesystem::path FullHdFilm(int seconds) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "vantor-video-bench";
    std::filesystem::create_directories(folder);
    const std::filesystem::path file = folder / ("full-hd-" + std::to_string(seconds) + "s.mov");
    const std::string description = "videotestsrc pattern=ball num-buffers=" + std::to_string(seconds * 30) +
                                    " ! video/x-raw,format=I420,width=1920,height=1080,framerate=30/1"
                                    " ! x264enc speed-preset=ultrafast key-int-max=60 ! h264parse ! qtmux"
                                    " ! filesink location=\"" +
                                    file.string() + "\"";
    GError* raw_error = nullptr;
    const vantor::GstElementPtr pipeline(gst_parse_launch(description.c_str(), &raw_error));
    if (const vantor::GErrorPtr error(raw_error); !pipeline || error) {
        std::fprintf(stderr, "video_bench: cannot make the film: %s\n", error ? error->message : "");
        return {};
    }
    const vantor::GstBusPtr bus(gst_element_get_bus(pipeline.get()));
    gst_element_set_state(pipeline.get(), GST_STATE_PLAYING);
    const vantor::GstMessagePtr end(gst_bus_timed_pop_filtered(
        bus.get(), 600 * GST_SECOND, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR)));
    const bool made = end && GST_MESSAGE_TYPE(end.get()) == GST_MESSAGE_EOS;
    gst_element_set_state(pipeline.get(), GST_STATE_NULL);
    return made ? file : std::filesystem::path();
}

const std::filesystem::path& TwelveSecondFilm() {
    static const std::filesystem::path file = FullHdFilm(12);
    return file;
}

const std::filesystem::path& ThirtySecondFilm() {
    static const std::filesystem::path file = FullHdFilm(30);
    return file;
}

double g_launch_seconds = 0;  // the baseline: one frame decoded by a gst-launch-1.0 process

void BM_Thumbnail_GstLaunchFirstFrame_Baseline(benchmark::State& state) {
    const std::filesystem::path& film = TwelveSecondFilm();
    if (film.empty()) {
        state.SkipWithError("no test film (x264enc missing?)");
        return;
    }
    const std::string command = "gst-launch-1.0 -q filesrc location=\"" + film.string() +
                                "\" ! qtdemux ! h264parse ! avdec_h264 ! fakesink num-buffers=1";
    double total = 0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        const int status = std::system(command.c_str());
        const double seconds = SecondsSince(start);
        if (status != 0) {
            state.SkipWithError("gst-launch-1.0 failed");
            return;
        }
        state.SetIterationTime(seconds);
        total += seconds;
    }
    g_launch_seconds = total / static_cast<double>(state.iterations());
}

void BM_Thumbnail_GrabVideoFrameAt10s(benchmark::State& state) {
    const std::filesystem::path& film = TwelveSecondFilm();
    if (film.empty()) {
        state.SkipWithError("no test film (x264enc missing?)");
        return;
    }
    double total = 0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        const zorvane::VideoGrab grab = zorvane::GrabVideoFrame(film.string(), 10 * kSecond_ns);
        const double seconds = SecondsSince(start);
        if (grab.frame.isNull() || grab.frame.width() != 1920) {
            state.SkipWithError("no 1920 x 1080 picture at 10 s");
            return;
        }
        state.SetIterationTime(seconds);
        total += seconds;
    }
    const double mean = total / static_cast<double>(state.iterations());
    if (g_launch_seconds > 0) {
        state.counters["ratio_to_gst_launch"] = mean / g_launch_seconds;
        state.counters["gst_launch_ms"] = g_launch_seconds * 1000.0;
    }
}

// The wall's main window as far as the library sees it: it answers "events waiting" and counts
// the ends of the film.
class HostWindow : public QWidget {
  public:
    explicit HostWindow(zorvane::VideoLibrary& library) : library_(library) {}
    int Ends() const { return ends_; }

  protected:
    bool event(QEvent* event) override {
        if (const VpMessageEvent* message = AsVpMessage(event)) {
            if (message->Message() == kVpGraphNotifyMessage) {
                library_.HandleGraphEvent();
            } else if (message->Message() == kVpEndOfMediaMessage) {
                ++ends_;
            }
            return true;
        }
        return QWidget::event(event);
    }

  private:
    zorvane::VideoLibrary& library_;
    int ends_ = 0;
};

using vantor_bench::ServeUntil;

// The frame statistics of the element that draws: the sink itself, or the sink inside its bin.
bool SinkStatistics(GstElement* video_sink, guint64& rendered, guint64& dropped) {
    vantor::GstElementPtr drawing;
    if (GST_IS_BIN(video_sink)) {
        GstIterator* sinks = gst_bin_iterate_sinks(GST_BIN(video_sink));
        GValue item = G_VALUE_INIT;
        while (!drawing && gst_iterator_next(sinks, &item) == GST_ITERATOR_OK) {
            auto* element = GST_ELEMENT(g_value_get_object(&item));
            if (g_object_class_find_property(G_OBJECT_GET_CLASS(element), "stats") != nullptr) {
                drawing = vantor::RefObject(element);
            }
            g_value_reset(&item);
        }
        g_value_unset(&item);
        gst_iterator_free(sinks);
    } else {
        drawing = vantor::RefObject(video_sink);
    }
    if (!drawing) {
        return false;
    }
    GstStructure* raw_stats = nullptr;
    g_object_get(drawing.get(), "stats", &raw_stats, nullptr);
    const vantor::GstStructurePtr stats(raw_stats);
    return stats && gst_structure_get_uint64(stats.get(), "rendered", &rendered) &&
           gst_structure_get_uint64(stats.get(), "dropped", &dropped);
}

void BM_Play30sFullHdH264Into960x720Window(benchmark::State& state) {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        state.SkipWithError("needs an X display (DISPLAY)");
        return;
    }
    const std::filesystem::path& film = ThirtySecondFilm();
    if (film.empty()) {
        state.SkipWithError("no test film (x264enc missing?)");
        return;
    }
    for (auto _ : state) {
        zorvane::GstMediaGraph* graph = nullptr;
        zorvane::VideoLibrary library([&graph](std::uintptr_t window) {
            std::unique_ptr<zorvane::MediaGraph> made = zorvane::GstMediaGraph::Create(window);
            graph = static_cast<zorvane::GstMediaGraph*>(made.get());
            return made;
        });
        HostWindow host(library);
        host.setGeometry(0, 0, 1000, 760);
        auto* surface = new zorvane::VideoSurface(&host);
        surface->setGeometry(20, 20, 960, 720);
        host.show();
        if (!ServeUntil([&] { return surface->isVisible() && host.windowHandle()->isExposed(); }, 10000)) {
            state.SkipWithError("the window did not appear");
            return;
        }
        library.Initialize();
        library.Attach(surface);
        library.Load(vantor::FromNativePath(film.string()).GetBase());
        if (graph == nullptr || library.TotalTime() != 30) {
            state.SkipWithError("the film did not load");
            return;
        }
        const double cpu_start = ProcessCpuSeconds();
        const Clock::time_point start = Clock::now();
        library.Play();
        const bool ended = ServeUntil([&] { return host.Ends() > 0; }, 120000);
        const double seconds = SecondsSince(start);
        const double cpu = ProcessCpuSeconds() - cpu_start;
        guint64 rendered = 0;
        guint64 dropped = 0;
        const bool counted = SinkStatistics(graph->VideoSink(), rendered, dropped);
        library.Quit();
        if (!ended || !counted) {
            state.SkipWithError(ended ? "no statistics from the video sink" : "the film did not end");
            return;
        }
        state.SetIterationTime(seconds);
        state.counters["frames_in_film"] = 900;
        state.counters["rendered"] = static_cast<double>(rendered);
        state.counters["dropped"] = static_cast<double>(dropped);
        state.counters["dropped_share"] =
            static_cast<double>(dropped) / std::max(1.0, static_cast<double>(rendered + dropped));
        state.counters["time_over_length"] = seconds / 30.0;
        state.counters["cpu_share_of_one_core"] = cpu / seconds;
        state.counters["overlay_chain"] =
            GST_IS_BIN(graph->VideoSink()) ? 0 : 1;  // 0 scaled ximage, 1 xvimage
    }
}

BENCHMARK(BM_Thumbnail_GstLaunchFirstFrame_Baseline)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Thumbnail_GrabVideoFrameAt10s)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Play30sFullHdH264Into960x720Window)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
    // Without a display the thumbnail figures still come; the playing reports that it needs one.
    qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "offscreen" : "xcb");
    QApplication application(argc, argv);
    if (const vantor::GstStart gstreamer = vantor::InitialiseGstreamer(); !gstreamer.ok) {
        std::fprintf(stderr, "video_bench: %s\n", gstreamer.error.c_str());
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
