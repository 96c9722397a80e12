#include "server/gallery_router.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>

#include "server/web_text.h"

namespace vantor::gallery {
namespace {

constexpr char kHtml[] = "text/html; charset=utf-8";
constexpr char kJson[] = "application/json; charset=utf-8";
constexpr char kText[] = "text/plain; charset=utf-8";
constexpr char kJpeg[] = "image/jpeg";
constexpr char kWave[] = "audio/wav";
constexpr char kNoStore[] = "no-store";
constexpr char kPrivateDay[] = "private, max-age=86400";

// Bytes a target may be made of: letters, digits and . _ - / ? = ; nothing encoded, no NUL,
// no backslash.
bool PlainTarget(const std::string& target) {
    return !target.empty() && target.front() == '/' && std::all_of(target.begin(), target.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
               c == '_' || c == '-' || c == '/' || c == '?' || c == '=';
    });
}

std::vector<std::string> Segments(const std::string& path) {
    std::vector<std::string> segments;
    std::size_t start = 1;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        segments.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return segments;
}

bool IsRegularFile(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// "<id>.jpg" to the id; empty when it is not exactly that.
std::string PictureIdOf(const std::string& segment) {
    constexpr std::string_view kExtension = ".jpg";
    if (!segment.ends_with(kExtension)) {
        return {};
    }
    std::string id = segment.substr(0, segment.size() - kExtension.size());
    return links::IsPictureId(id) ? id : std::string();
}

Reply Simple(int status, std::string body, const char* cache = kNoStore) {
    Reply reply;
    reply.status = status;
    reply.content_type = kText;
    reply.body = std::move(body);
    reply.headers.emplace_back("Cache-Control", cache);
    return reply;
}

Reply MethodNotAllowed(const char* allow) {
    Reply reply = Simple(405, "Method Not Allowed\n");
    reply.headers.emplace_back("Allow", allow);
    return reply;
}

std::string EntityTag(const std::string& text) {
    std::uint64_t hash = 1469598103934665603ull;  // FNV-1a
    for (const char c : text) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "\"%016llx\"", static_cast<unsigned long long>(hash));
    return buffer;
}

}  // namespace

Headers SecurityHeaders() {
    return {{"X-Content-Type-Options", "nosniff"},
            {"Content-Security-Policy",
             "default-src 'none'; img-src 'self'; media-src 'self'; style-src 'self'; script-src 'self'; "
             "connect-src 'self'; form-action 'self'; base-uri 'none'; frame-ancestors 'none'"},
            {"Referrer-Policy", "no-referrer"},
            {"X-Frame-Options", "DENY"},
            {"Cross-Origin-Resource-Policy", "same-origin"}};
}

GalleryRouter::GalleryRouter(RouterSetup setup, PictureCatalog& catalog, ThumbnailCache& thumbnails,
                             const EventCodeGuard& guard, const Clock& clock)
    : setup_(std::move(setup)),
      catalog_(catalog),
      thumbnails_(thumbnails),
      guard_(guard),
      clock_(clock),
      gallery_limiter_(30.0, 240.0),
      code_limiter_(0.1, 5.0),
      not_found_html_(NotFoundPageHtml(setup_.page)) {}

Reply GalleryRouter::NotFound() const {
    Reply reply;
    reply.status = 404;
    reply.content_type = kHtml;
    reply.body = not_found_html_;
    reply.headers.emplace_back("Cache-Control", kNoStore);
    for (auto& header : SecurityHeaders()) {
        reply.headers.push_back(std::move(header));
    }
    return reply;
}

Reply GalleryRouter::Handle(const Request& request) {
    Reply reply = Route(request);
    if (reply.status == 404) {
        return NotFound();
    }
    if (HeaderValue(reply.headers, "Cache-Control").empty()) {
        reply.headers.emplace_back("Cache-Control", kNoStore);
    }
    for (auto& header : SecurityHeaders()) {
        reply.headers.push_back(std::move(header));
    }
    return reply;
}

Reply GalleryRouter::Route(const Request& request) {
    if (!PlainTarget(request.target)) {
        return NotFound();
    }
    const std::size_t question = request.target.find('?');
    const std::string path = request.target.substr(0, question);
    const std::string query =
        question == std::string::npos ? std::string() : request.target.substr(question + 1);
    const std::vector<std::string> parts = Segments(path);
    const bool get = request.method == "GET" || request.method == "HEAD";
    const bool personal = setup_.settings.personal_links && !parts.empty() && parts[0] == "p";
    const bool gallery = setup_.settings.gallery && !parts.empty() && (parts[0] == "g" || parts[0] == "t");

    if (personal &&
        (parts.size() == 2 || (parts.size() == 3 && (parts[2] == "framed.jpg" || parts[2] == "photo.jpg" ||
                                                     parts[2] == "voice.wav")))) {
        if (!get) {
            return MethodNotAllowed("GET, HEAD");
        }
        return Personal(request, parts[1], parts.size() == 3 ? parts[2] : std::string(), query);
    }
    if (gallery && parts.size() == 1 && parts[0] == "g" && query.empty()) {
        if (request.method == "POST") {
            return PostCode(request);
        }
        return get ? Gallery(request) : MethodNotAllowed("GET, HEAD, POST");
    }
    if (gallery && parts.size() == 2 && query.empty() &&
        ((parts[0] == "g" && (parts[1] == "list.json" || !PictureIdOf(parts[1]).empty())) ||
         (parts[0] == "t" && !PictureIdOf(parts[1]).empty()))) {
        if (!get) {
            return MethodNotAllowed("GET, HEAD");
        }
        if (parts[1] == "list.json") {
            return GalleryList(request);
        }
        return ServePicture(request, PictureIdOf(parts[1]), parts[0] == "t");
    }
    if (parts.size() == 2 && parts[0] == "s" && query.empty() &&
        (setup_.settings.personal_links || setup_.settings.gallery)) {
        const auto found = setup_.static_files.find(parts[1]);
        if (found == setup_.static_files.end()) {
            return NotFound();
        }
        if (!get) {
            return MethodNotAllowed("GET, HEAD");
        }
        Reply reply;
        reply.content_type = found->second.content_type;
        reply.body = found->second.body;
        reply.headers.emplace_back("Cache-Control", "public, max-age=3600");
        return reply;
    }
    return NotFound();
}

Reply GalleryRouter::FileReply(const std::string& path, const char* type, const std::string& name,
                               const std::string& fallback, bool save) const {
    if (!IsRegularFile(path)) {
        return NotFound();
    }
    Reply reply;
    reply.content_type = type;
    reply.file = path;
    reply.headers.emplace_back("Cache-Control", kPrivateDay);
    reply.headers.emplace_back("Accept-Ranges", "bytes");
    reply.headers.emplace_back("Content-Disposition",
                               ContentDisposition(save ? "attachment" : "inline", name, fallback));
    return reply;
}

Reply GalleryRouter::Personal(const Request&, const std::string& token, const std::string& file,
                              const std::string& query) {
    const std::optional<links::LinkEntry> entry =
        links::IsToken(token) ? catalog_.ByToken(token) : std::nullopt;
    const bool save = query == "save=1";
    if (!entry || (!query.empty() && (file.empty() || !save))) {
        return NotFound();
    }
    std::string event = FileNamePart(setup_.settings.event_name);
    if (event.empty()) {
        event = "Vantor";
    }
    const std::string name = event + ' ' + entry->day + ' ' + entry->stem;
    const std::string fallback = "vantor-" + entry->day + '-' + entry->stem;
    if (file == "framed.jpg") {
        return FileReply(catalog_.FramedFile(*entry), kJpeg, name + ".jpg", fallback + ".jpg", save);
    }
    if (file == "photo.jpg") {
        return FileReply(catalog_.PlainFile(*entry), kJpeg, name + " photo.jpg", fallback + "-photo.jpg",
                         save);
    }
    if (file == "voice.wav") {
        return FileReply(catalog_.VoiceFile(*entry), kWave, name + ".wav", fallback + ".wav", save);
    }
    if (!IsRegularFile(catalog_.FramedFile(*entry))) {
        return NotFound();
    }
    PersonalPage page{token, entry->day, name + ".jpg", {}, {}};
    if (IsRegularFile(catalog_.PlainFile(*entry))) {
        page.photo_name = name + " photo.jpg";
    }
    if (IsRegularFile(catalog_.VoiceFile(*entry))) {
        page.voice_name = name + ".wav";
    }
    Reply reply;
    reply.content_type = kHtml;
    reply.body = PersonalPageHtml(setup_.page, page);
    return reply;
}

bool GalleryRouter::AllowGallery(const Request& request) {
    // The station's own machine is no phone: what runs there (the load benchmark's phones among
    // it) is not counted. Event code guesses are, from everywhere.
    if (request.client == "127.0.0.1" || request.client == "::1") {
        return true;
    }
    return gallery_limiter_.Allow(request.client, request.received);
}

Reply GalleryRouter::Gallery(const Request& request) {
    if (!AllowGallery(request)) {
        return Simple(429, "Too Many Requests\n");
    }
    Reply reply;
    reply.content_type = kHtml;
    if (!guard_.Admits(HeaderValue(request.headers, "Cookie"))) {
        reply.body = CodePageHtml(setup_.page, false);
        return reply;
    }
    const std::vector<std::string> days = GalleryDays(clock_.Now());
    std::vector<links::LinkEntry> entries = catalog_.Days(days);
    entries.resize(std::min(entries.size(), kMaxGalleryPictures));
    std::vector<GalleryPicture> pictures;
    for (const links::LinkEntry& entry : entries) {
        pictures.push_back({entry.id, DisplayTime(entry.stem)});
    }
    reply.body = GalleryPageHtml(setup_.page, days.empty() ? std::string() : days.front(), pictures);
    return reply;
}

Reply GalleryRouter::GalleryList(const Request& request) {
    if (!AllowGallery(request)) {
        return Simple(429, "Too Many Requests\n");
    }
    if (!guard_.Admits(HeaderValue(request.headers, "Cookie"))) {
        return Simple(403, "Forbidden\n");
    }
    std::vector<links::LinkEntry> entries = catalog_.Days(GalleryDays(clock_.Now()));
    entries.resize(std::min(entries.size(), kMaxGalleryPictures));
    std::string json = "{\"pictures\":[";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const links::LinkEntry& entry = entries[i];
        json += std::string(i == 0 ? "" : ",") + "\n{\"id\":" + JsonString(entry.id) +
                ",\"day\":" + JsonString(entry.day) + ",\"time\":" + JsonString(DisplayTime(entry.stem)) +
                ",\"thumbnail\":" + JsonString("/t/" + entry.id + ".jpg") +
                ",\"picture\":" + JsonString("/g/" + entry.id + ".jpg") + "}";
    }
    json += "]}\n";
    Reply reply;
    const std::string tag = EntityTag(json);
    reply.headers.emplace_back("ETag", tag);
    if (HeaderValue(request.headers, "If-None-Match") == tag) {
        reply.status = 304;
        return reply;
    }
    reply.content_type = kJson;
    reply.body = std::move(json);
    return reply;
}

Reply GalleryRouter::ServePicture(const Request& request, const std::string& id, bool thumbnail) {
    if (!AllowGallery(request)) {
        return Simple(429, "Too Many Requests\n");
    }
    if (!guard_.Admits(HeaderValue(request.headers, "Cookie"))) {
        return Simple(403, "Forbidden\n");
    }
    const std::optional<links::LinkEntry> entry = catalog_.ById(id);
    if (!entry) {
        return NotFound();
    }
    if (!thumbnail) {
        Reply reply = FileReply(catalog_.FramedFile(*entry), kJpeg, "", "", false);
        std::erase_if(reply.headers, [](const auto& h) { return h.first == "Content-Disposition"; });
        return reply;
    }
    std::shared_ptr<const std::string> jpeg = thumbnails_.Find(id);
    if (!jpeg) {
        // Not made ahead yet (the background thread is behind): a reduced decode, never a full one.
        std::optional<std::string> made = MakeThumbnail(catalog_.FramedFile(*entry));
        if (!made) {
            return NotFound();
        }
        thumbnails_.Insert(id, *made);
        jpeg = std::make_shared<const std::string>(std::move(*made));
    }
    Reply reply;
    reply.content_type = kJpeg;
    reply.body = *jpeg;
    reply.headers.emplace_back("Cache-Control", "private, max-age=3600");
    return reply;
}

Reply GalleryRouter::PostCode(const Request& request) {
    if (!code_limiter_.Allow(request.client, request.received)) {
        return Simple(429, "Too Many Requests\n");
    }
    const auto given = request.form.find("code");
    if (guard_.Active() && (given == request.form.end() || !guard_.CodeMatches(given->second))) {
        Reply reply;
        reply.status = 403;
        reply.content_type = kHtml;
        reply.body = CodePageHtml(setup_.page, true);
        return reply;
    }
    Reply reply = Simple(303, "");
    reply.headers.emplace_back("Location", "/g");
    if (guard_.Active()) {
        reply.headers.emplace_back("Set-Cookie", std::string(kCodeCookieName) + '=' + guard_.CookieValue() +
                                                     "; Path=/; HttpOnly; SameSite=Strict; Max-Age=86400");
    }
    return reply;
}

}  // namespace vantor::gallery
