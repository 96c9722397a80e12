// The photo server's request routing over an index of personal links that comes from outside:
// the index file is read as the server reads it, then requests are routed against it.
//
// Input: one byte choosing whether an event code guards the gallery, the index file's bytes up
// to a NUL byte, then requests, each a method byte and the target, the Cookie header and the
// form's code, each ended by a newline.
#include <QDir>
#include <QTemporaryDir>
#include <fstream>
#include <set>

#include "fuzz_support.h"
#include "links/link_index.h"
#include "platform/local_clock.h"
#include "platform/native_path.h"
#include "server/gallery_router.h"

using namespace vantor_fuzz;
using namespace vantor::gallery;

namespace {

constexpr char kDay[] = "2026-12-9";

// A storage whose day folder holds the files of two sign-ins, made once per run.
const std::string& StorageRoot() {
    static QTemporaryDir folder;
    static const std::string root = [] {
        const std::string storage = folder.path().toStdString() + "/Storage";
        for (const char* sub : {"WithTemplate", "NoTemplate", "Audio"}) {
            QDir().mkpath(QString::fromStdString(storage + "/" + kDay + "/" + sub));
        }
        QDir().mkpath(QString::fromStdString(storage + "/Links"));
        for (const char* stem : {"9-5-7", "10-0-0"}) {
            std::ofstream(storage + "/" + kDay + "/WithTemplate/" + stem + ".jpg") << "not a picture";
            std::ofstream(storage + "/" + kDay + "/Audio/" + stem + ".wav") << "RIFF";
        }
        return storage;
    }();
    return root;
}

std::string HeaderOf(const Reply& reply, const char* name) {
    for (const auto& [key, value] : reply.headers) {
        if (key == name) {
            return value;
        }
    }
    return {};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input input(data, size);
    const bool guarded = (input.Byte() & 1) != 0;
    const std::string_view index = input.Bytes(4096, 0);

    // The reader keeps exactly the well-formed records, each a line of the input.
    const std::vector<vantor::links::LinkEntry> entries = vantor::links::ParseLinkIndex(index);
    std::set<std::string> files;
    const tstring root = vantor::FromNativePath(StorageRoot());
    PictureCatalog paths(root);
    for (const vantor::links::LinkEntry& entry : entries) {
        FUZZ_CHECK(index.find(vantor::links::FormatLinkLine(entry)) != std::string_view::npos);
        FUZZ_CHECK(vantor::links::IsToken(entry.token) && vantor::links::IsPictureId(entry.id));
        FUZZ_CHECK(vantor::links::IsDayName(entry.day) && vantor::links::IsStemName(entry.stem));
        if (entry.day == kDay) {
            files.insert({paths.FramedFile(entry), paths.PlainFile(entry), paths.VoiceFile(entry)});
        }
    }
    std::ofstream(StorageRoot() + "/Links/" + kDay + ".txt", std::ios::binary | std::ios::trunc) << index;

    PictureCatalog catalog(root);
    catalog.Refresh();
    ThumbnailCache thumbnails(1 << 20);
    const EventCodeGuard guard(guarded ? "code" : "", {});
    const vantor::ManualClock clock(vantor::LocalDateTime{2026, 12, 9, 12, 0, 0});
    RouterSetup setup;
    setup.page.text = [](PageText key) { return "<" + std::to_string(static_cast<int>(key)) + ">"; };
    setup.page.event_name = "&\"'<>";
    setup.static_files["site.css"] = {"text/css", "body{}"};
    GalleryRouter router(std::move(setup), catalog, thumbnails, guard, clock);
    const std::string not_found = router.NotFound().body;

    static const char* const kMethods[] = {"GET", "HEAD", "POST", "PUT", "DELETE", "OPTIONS", "get", ""};
    while (input.Left() > 0) {
        Request request;
        request.method = kMethods[input.Byte() % 8];
        request.target = std::string(input.Bytes(512, '\n'));
        request.headers.emplace_back("Cookie", std::string(input.Bytes(256, '\n')));
        request.form["code"] = std::string(input.Bytes(64, '\n'));
        request.client = "10.0.0.2";
        const Reply reply = router.Handle(request);

        FUZZ_CHECK(HeaderOf(reply, "X-Content-Type-Options") == "nosniff");
        FUZZ_CHECK(!HeaderOf(reply, "Content-Security-Policy").empty());
        FUZZ_CHECK(!HeaderOf(reply, "Cache-Control").empty());
        FUZZ_CHECK(reply.status != 404 || reply.body == not_found);
        // A file is only ever one that a record of the index names.
        FUZZ_CHECK(reply.file.empty() || (reply.status == 200 && files.count(reply.file) == 1));
        if (request.method != "GET" && request.method != "HEAD" && request.method != "POST") {
            FUZZ_CHECK(reply.status == 404 || reply.status == 405);
        }
        // No text of the request reaches a page unescaped.
        FUZZ_CHECK(reply.body.find("<script>") == std::string::npos);
    }
    return 0;
}
