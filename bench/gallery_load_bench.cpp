// The photo server under a room of phones. 200 phones open the gallery at once (wrk, 200
// connections on 127.0.0.1, each asking for the gallery page, its list and the first screen of
// thumbnails over and over) while the station saves a sign-in every second. Reported:
//   first_screen_p50_ms / first_screen_p99_ms  one more phone's first screen (page, list, 12
//                                               thumbnails over 6 connections) during the load
//   save_ms_idle / save_ms_load / save_ratio   a sign-in's save (both pictures written, synced,
//                                               its record appended) with the server idle and under
//                                               the load, medians over the same number of saves
//   wrk_requests_per_s / wrk_p99_ms            what wrk measured
// The server is the real program in a folder of its own; it runs 10 nice steps below the station
// as the station starts it, and wrk 19 below (the phones are other devices).
#include <benchmark/benchmark.h>
#include <httplib.h>
#include <sys/resource.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QDate>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTime>
#include <algorithm>
#include <cstdlib>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <regex>
#include <thread>

#include "capture/sign_in_store.h"
#include "links/link_index.h"
#include "platform/system_random.h"
#include "test_pictures.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kWallPictures = 300;
constexpr int kPhones = 200;
constexpr int kFirstScreenThumbnails = 12;
constexpr int kSaves = 15;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double Percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0
                          : values[std::min(values.size() - 1, static_cast<std::size_t>(p * values.size()))];
}

int FreePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// A noisy picture the size of a composed sign-in, so that its JPEG costs what a real one does.
QImage Composed() {
    QImage picture(1024, 768, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            line[x] = qRgb((x * 7 + y) & 255, (y * 3) & 255, QRandomGenerator::global()->bounded(256));
        }
    }
    return picture;
}

vantor::LocalDateTime Today(int second_of_day) {
    const QDate today = QDate::currentDate();
    vantor::LocalDateTime time;
    time.year = today.year();
    time.month = today.month();
    time.day = today.day();
    time.hour = second_of_day / 3600;
    time.minute = second_of_day / 60 % 60;
    time.second = second_of_day % 60;
    return time;
}

// An installation folder with the server, its library and settings, and a day of sign-ins.
struct Installation {
    fs::path folder = fs::temp_directory_path() / ("vantor-gallery-bench-" + std::to_string(::getpid()));
    int port = FreePort();

    Installation() {
        const char* named = std::getenv("VANTOR_INSTALL_DIR");
        const fs::path built = named != nullptr
                                   ? fs::path(named)
                                   : fs::read_symlink("/proc/self/exe").parent_path() / ".." / "Vantor";
        fs::create_directories(folder / "Bin");
        fs::copy_file(built / "VantorGallery", folder / "VantorGallery");
        for (const auto& entry : fs::directory_iterator(built)) {
            if (entry.path().filename().string().find(".so") != std::string::npos) {
                fs::create_symlink(entry.path(), folder / entry.path().filename());
            }
        }
        fs::create_symlink(built / "Bin" / "language.txt", folder / "Bin" / "language.txt");
        std::ofstream(folder / "Bin" / "config.ini")
            << "[version]\nlanguage =1\n[gallery]\nlinks=1\ngallery=1\nport=" << port
            << "\naddress=127.0.0.1\n";
    }
    ~Installation() {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    tstring Storage() const { return vantor_test::Logic(folder / "Storage"); }
};

// The station's save of one sign-in with its record; its duration.
double SaveOne(const Installation& installation, SignInStore& store, vantor::SecureRandom& random,
               const QImage& composed, int second_of_day) {
    const Clock::time_point start = Clock::now();
    store.KeepPhoto(composed);
    const std::optional<SignInStore::Saved> saved = store.Save(Today(second_of_day), composed);
    if (saved) {
        if (const auto entry = vantor::links::NewLinkEntry(random, saved->day, saved->stem)) {
            vantor::links::RecordLink(installation.Storage(), *entry);
        }
    }
    return Ms(Clock::now() - start);
}

// One phone's first screen: the page and the list, then the newest thumbnails over six
// connections, as a browser fetches them.
double FirstScreen(int port) {
    const Clock::time_point start = Clock::now();
    httplib::Client page("127.0.0.1", port);
    page.Get("/g");
    const auto list = page.Get("/g/list.json");
    std::vector<std::string> thumbnails;
    if (list && list->status == 200) {
        const QJsonArray pictures = QJsonDocument::fromJson(QByteArray::fromStdString(list->body))
                                        .object()
                                        .value("pictures")
                                        .toArray();
        for (int i = 0; i < pictures.size() && i < kFirstScreenThumbnails; ++i) {
            thumbnails.push_back(pictures[i].toObject().value("thumbnail").toString().toStdString());
        }
    }
    std::vector<std::future<void>> connections;
    for (int c = 0; c < 6; ++c) {
        connections.push_back(std::async(std::launch::async, [&, c] {
            httplib::Client client("127.0.0.1", port);
            for (std::size_t i = static_cast<std::size_t>(c); i < thumbnails.size(); i += 6) {
                client.Get(thumbnails[i]);
            }
        }));
    }
    for (auto& connection : connections) {
        connection.get();
    }
    return Ms(Clock::now() - start);
}

void GalleryUnderARoomOfPhones(benchmark::State& state) {
    Installation installation;
    SignInStore store(installation.Storage(), vantor_test::Logic(installation.folder / "temp.jpg"));
    vantor::SystemRandom random;
    const QImage composed = Composed();
    int second = 8 * 3600;
    for (int i = 0; i < kWallPictures; ++i) {
        SaveOne(installation, store, random, composed, second++);
    }

    QProcess server;
    server.setProgram(QString::fromStdString((installation.folder / "VantorGallery").string()));
    server.start();
    if (!server.waitForStarted()) {
        state.SkipWithError("VantorGallery did not start");
        return;
    }
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(server.processId()), 10);
    // Ready when its list names every picture (the thumbnails are made ahead meanwhile).
    httplib::Client probe("127.0.0.1", installation.port);
    for (const Clock::time_point until = Clock::now() + std::chrono::seconds(60);;) {
        const auto list = probe.Get("/g/list.json");
        if (list && list->status == 200 && list->body.find("\"id\"") != std::string::npos) {
            break;
        }
        if (Clock::now() > until) {
            state.SkipWithError("the photo server did not answer");
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    std::this_thread::sleep_for(std::chrono::seconds(5));  // thumbnails made ahead

    for (auto _ : state) {
        std::vector<double> idle, loaded, screens;
        for (int i = 0; i < kSaves; ++i) {
            idle.push_back(SaveOne(installation, store, random, composed, second++));
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        }
        // The phones' requests: the gallery page, its list and the first screen of thumbnails.
        const auto list = probe.Get("/g/list.json");
        const QJsonArray pictures =
            QJsonDocument::fromJson(QByteArray::fromStdString(list ? list->body : std::string()))
                .object()
                .value("pictures")
                .toArray();
        const fs::path script = installation.folder / "phones.lua";
        {
            std::ofstream lua(script);
            lua << "local paths = {\"/g\", \"/g/list.json\"";
            for (int i = 0; i < pictures.size() && i < kFirstScreenThumbnails; ++i) {
                lua << ", \"" << pictures[i].toObject().value("thumbnail").toString().toStdString() << "\"";
            }
            lua << "}\nlocal n = 0\nrequest = function()\n  n = n + 1\n"
                   "  return wrk.format(\"GET\", paths[(n % #paths) + 1])\nend\n";
        }
        QProcess wrk;
        wrk.setProcessChannelMode(QProcess::MergedChannels);
        const int seconds = kSaves + 6;
        wrk.start("nice", {"-n", "19", "wrk", "-t2", "-c" + QString::number(kPhones),
                           "-d" + QString::number(seconds) + "s", "--latency", "-s",
                           QString::fromStdString(script.string()),
                           QString("http://127.0.0.1:%1").arg(installation.port)});
        if (!wrk.waitForStarted()) {
            state.SkipWithError("wrk (Debian's wrk) is missing");
            return;
        }
        std::this_thread::sleep_for(std::chrono::seconds(2));
        auto screens_done = std::async(std::launch::async, [&] {
            std::vector<double> times;
            for (const Clock::time_point until = Clock::now() + std::chrono::seconds(kSaves);
                 Clock::now() < until;) {
                times.push_back(FirstScreen(installation.port));
            }
            return times;
        });
        for (int i = 0; i < kSaves; ++i) {
            loaded.push_back(SaveOne(installation, store, random, composed, second++));
            std::this_thread::sleep_for(std::chrono::milliseconds(700));
        }
        screens = screens_done.get();
        wrk.waitForFinished((seconds + 30) * 1000);
        const std::string report = wrk.readAll().toStdString();
        std::smatch found;
        if (std::regex_search(report, found, std::regex(R"(Requests/sec:\s+([0-9.]+))"))) {
            state.counters["wrk_requests_per_s"] = std::stod(found[1]);
        }
        if (std::regex_search(report, found, std::regex(R"(99%\s+([0-9.]+)(us|ms|s))"))) {
            const double value = std::stod(found[1]);
            state.counters["wrk_p99_ms"] = found[2] == "us"  ? value / 1000
                                           : found[2] == "s" ? value * 1000
                                                             : value;
        }
        if (std::regex_search(report, found, std::regex(R"(Non-2xx or 3xx responses:\s+(\d+))"))) {
            state.counters["wrk_refused"] = std::stod(found[1]);
        }
        state.counters["first_screen_p50_ms"] = Percentile(screens, 0.5);
        state.counters["first_screen_p99_ms"] = Percentile(screens, 0.99);
        state.counters["first_screens"] = static_cast<double>(screens.size());
        state.counters["save_ms_idle"] = Percentile(idle, 0.5);
        state.counters["save_ms_load"] = Percentile(loaded, 0.5);
        state.counters["save_ratio"] = Percentile(loaded, 0.5) / Percentile(idle, 0.5);
    }
    server.terminate();
    server.waitForFinished(5000);
}
BENCHMARK(GalleryUnderARoomOfPhones)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
