// VantorGallery: the photo server for the guests' phones. It reads the personal links and the
// pictures of "Storage" in the installation folder and never writes there.
//   VantorGallery [--bind ADDRESS] [--port N]
// Without --bind it listens on the station's address on the local network (the settings'
// address, else that of the network with the default route), without --port on the settings'
// port. SIGTERM or SIGINT stop it.
#include <sched.h>
#include <pthread.h>
#include <sys/resource.h>

#include <QCoreApplication>
#include <QLoggingCategory>
#include <algorithm>
#include <csignal>
#include <cstring>
#include <optional>

#include "platform/local_clock.h"
#include "text/narrow_text.h"
#include "platform/system_random.h"
#include "server/catalog_watcher.h"
#include "server/gallery_router.h"
#include "server/http_server.h"
#include "server/static_files.h"
#include "settings/gallery_settings.h"
#include "storage/storage_layout.h"
#include "language/language.h"

namespace {

Q_LOGGING_CATEGORY(lcGallery, "vantor.gallery")

using namespace vantor;
using namespace vantor::gallery;

struct Options {
    std::optional<std::string> bind;
    std::optional<int> port;
};

std::optional<Options> ParseOptions(const QStringList& arguments) {
    Options options;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if ((argument == "--bind" || argument == "--port") && i + 1 < arguments.size()) {
            const QString value = arguments[++i];
            if (argument == "--bind") {
                options.bind = value.toStdString();
                continue;
            }
            bool number = false;
            const int port = value.toInt(&number);
            if (!number || port < 0 || port > 65535) {
                return std::nullopt;
            }
            options.port = port;
            continue;
        }
        return std::nullopt;
    }
    return options;
}

// Idle connections wait without a thread, a descriptor each: room for the waiting ones (the
// server closes the oldest beyond its bound) and the ones being answered.
void WidenOpenFiles() {
    constexpr rlim_t kWanted = 16384;
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < kWanted) {
        limit.rlim_cur = std::min(kWanted, limit.rlim_max);
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

// The server runs on the cores nothing else wants (SCHED_IDLE, taken by every thread made after):
// a room of phones never slows the station's saves, its preview or the wall beside it.
void YieldToTheStation() {
    sched_param parameters{};
    if (::sched_setscheduler(0, SCHED_IDLE, &parameters) != 0) {
        qCWarning(lcGallery, "could not lower the server's scheduling class; it competes with the station");
    }
}

}  // namespace

int main(int argc, char** argv) {
    // Blocked before any thread starts, so that every thread inherits it and only the wait
    // below receives them.
    sigset_t stop_signals;
    sigemptyset(&stop_signals);
    sigaddset(&stop_signals, SIGINT);
    sigaddset(&stop_signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    WidenOpenFiles();
    YieldToTheStation();

    QCoreApplication application(argc, argv);
    const std::optional<Options> options = ParseOptions(application.arguments());
    if (!options) {
        qCCritical(lcGallery, "usage: VantorGallery [--bind ADDRESS] [--port N]");
        return 2;
    }
    const settings::GallerySettings gallery_settings = settings::ReadGallerySettings();
    if (!gallery_settings.ServerWanted()) {
        qCInfo(lcGallery, "personal links and the gallery are both switched off: nothing to serve");
        return 0;
    }
    const std::optional<std::string> address =
        options->bind ? options->bind : settings::LinkHost(gallery_settings);
    if (!address) {
        qCCritical(lcGallery,
                   "no address on a local network to listen on (no default route; name one with "
                   "--bind or the settings' address)");
        return 1;
    }
    const int port = options->port.value_or(gallery_settings.port);

    std::array<std::uint8_t, 32> secret{};
    SystemRandom random;
    if (!random.Fill(secret)) {
        qCCritical(lcGallery, "the system's random generator failed");
        return 1;
    }
    RouterSetup setup;
    setup.settings = gallery_settings;
    setup.page.language = ConfiguredLanguageNumber(tstring(settings::kConfigFile)) == 1 ? "zh" : "en";
    setup.page.event_name = gallery_settings.event_name;
    setup.page.text = [](PageText key) {
        const std::u16string number = Utf8ToWide(std::to_string(static_cast<int>(key)));
        return WideToUtf8(GetLanStr(number.c_str()).GetBase());
    };
    setup.static_files = BuiltInStaticFiles();

    PictureCatalog catalog{tstring(kStorageRoot)};
    ThumbnailCache thumbnails(64u << 20);
    const EventCodeGuard guard(gallery_settings.event_code, secret);
    GalleryRouter router(std::move(setup), catalog, thumbnails, guard, SystemLocalClock());
    CatalogWatcher watcher(catalog, thumbnails, SystemLocalClock());
    HttpServer server([&router](const Request& request) { return router.Handle(request); },
                      router.NotFound());
    if (!server.Bind(*address, port)) {
        qCCritical(lcGallery,
                   "cannot listen on %s port %d: %s (is another server on that port, or is the "
                   "address not this machine's?)",
                   address->c_str(), port, std::strerror(errno));
        return 1;
    }
    server.Start();
    qCInfo(lcGallery, "serving http://%s:%d/ (personal links %s, gallery %s%s)", address->c_str(),
           server.Port(), gallery_settings.personal_links ? "on" : "off",
           gallery_settings.gallery ? "on" : "off", guard.Active() ? ", guarded by the event code" : "");
    int received = 0;
    sigwait(&stop_signals, &received);
    qCInfo(lcGallery, "stopping on signal %d", received);
    server.Stop();
    return 0;
}
