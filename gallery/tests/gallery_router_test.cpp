// The photo server's answers without sockets: what each route serves, that every wrong target
// is the same 404, the event code, the rate limits and the headers every answer carries.
#include <gtest/gtest.h>

#include <QImage>

#include "gallery_fixture.h"
#include "server/gallery_router.h"
#include "server/web_text.h"

using namespace vantor::gallery;
using namespace gallery_test;

namespace {

const std::array<std::uint8_t, 32> kSecret{1, 2, 3};

class Router {
  public:
    explicit Router(const Storage& storage, std::string code = "", std::string event = "Gala",
                    bool personal = true, bool gallery = true)
        : catalog_(storage.LogicRoot()),
          thumbnails_(1 << 20),
          guard_(std::move(code), kSecret),
          clock_(kNoon) {
        RouterSetup setup;
        setup.settings.personal_links = personal;
        setup.settings.gallery = gallery;
        setup.settings.event_name = event;
        setup.page = EnglishPages(event);
        setup.static_files["site.css"] = {"text/css", "body{}"};
        router_ = std::make_unique<GalleryRouter>(std::move(setup), catalog_, thumbnails_, guard_, clock_);
        catalog_.Refresh();
    }
    Reply Get(const std::string& target, std::string method = "GET", Headers headers = {},
              std::string client = "10.0.0.2") {
        return router_->Handle(
            Request{std::move(method), target, std::move(headers), {}, std::move(client), now_});
    }
    Reply Post(std::map<std::string, std::string> form, std::string client = "10.0.0.2") {
        return router_->Handle(Request{"POST", "/g", {}, std::move(form), std::move(client), now_});
    }
    GalleryRouter& Get() { return *router_; }
    PictureCatalog& Catalog() { return catalog_; }
    void Advance(std::chrono::seconds seconds) { now_ += seconds; }

  private:
    PictureCatalog catalog_;
    ThumbnailCache thumbnails_;
    EventCodeGuard guard_;
    vantor::ManualClock clock_;
    std::unique_ptr<GalleryRouter> router_;
    std::chrono::steady_clock::time_point now_ = std::chrono::steady_clock::now();
};

void ExpectSecurityHeaders(const Reply& reply, const std::string& target) {
    for (const char* name :
         {"X-Content-Type-Options", "Content-Security-Policy", "Referrer-Policy", "Cache-Control"}) {
        EXPECT_FALSE(HeaderValue(reply.headers, name).empty()) << name << " missing for " << target;
    }
    EXPECT_EQ(HeaderValue(reply.headers, "X-Content-Type-Options"), "nosniff");
    EXPECT_EQ(HeaderValue(reply.headers, "Content-Security-Policy").find("unsafe-inline"), std::string::npos);
    EXPECT_NE(HeaderValue(reply.headers, "Content-Security-Policy").find("script-src 'self'"),
              std::string::npos);
    EXPECT_FALSE(reply.content_type.empty() && !reply.body.empty()) << target;
}

bool SameReply(const Reply& a, const Reply& b) {
    return a.status == b.status && a.body == b.body && a.headers == b.headers && a.file == b.file &&
           a.content_type == b.content_type;
}

}  // namespace

TEST(GalleryRouter, PersonalPageServesOnlyTheIndexedFilesOfItsToken) {
    Storage storage;
    storage.AddSignIn(Token('a'), Id('1'), "9-5-7");
    storage.AddSignIn(Token('b'), Id('2'), "9-6-0", false, false);
    storage.Record({Token('c'), Id('3'), kDay, "9-7-0"});  // a record whose pictures are gone
    Router router(storage, "", "Gala <b>&\"night\"");

    const Reply page = router.Get("/p/" + Token('a'));
    ASSERT_EQ(page.status, 200);
    EXPECT_EQ(page.content_type, "text/html; charset=utf-8");
    ExpectSecurityHeaders(page, "page");
    for (const std::string& part :
         std::vector<std::string>{"/p/" + Token('a') + "/framed.jpg", "/photo.jpg?save=1", "<audio controls",
                                  "/voice.wav", "name=\"viewport\"", "/s/page.js", "2026-12-09",
                                  "Gala &lt;b&gt;&amp;&quot;night&quot;", "text64", "text68"}) {
        EXPECT_NE(page.body.find(part), std::string::npos) << part;
    }
    EXPECT_EQ(page.body.find("<b>"), std::string::npos);
    EXPECT_EQ(page.body.find("<script>"), std::string::npos);  // no inline script
    const Reply without = router.Get("/p/" + Token('b'));
    EXPECT_EQ(without.body.find("<audio"), std::string::npos);
    EXPECT_EQ(without.body.find("/photo.jpg"), std::string::npos);

    const Reply framed = router.Get("/p/" + Token('a') + "/framed.jpg");
    EXPECT_EQ(framed.file, (storage.Root() / kDay / "WithTemplate" / "9-5-7.jpg").string());
    EXPECT_EQ(framed.content_type, "image/jpeg");
    EXPECT_EQ(HeaderValue(framed.headers, "Content-Disposition").rfind("inline;", 0), 0u);
    const Reply voice = router.Get("/p/" + Token('a') + "/voice.wav?save=1", "HEAD");
    EXPECT_EQ(voice.file, (storage.Root() / kDay / "Audio" / "9-5-7.wav").string());
    EXPECT_EQ(HeaderValue(voice.headers, "Content-Disposition"),
              "attachment; filename=\"vantor-2026-12-9-9-5-7.wav\"; "
              "filename*=UTF-8''Gala%20b%20%26%20night%202026-12-9%209-5-7.wav");
    EXPECT_EQ(HeaderValue(voice.headers, "Accept-Ranges"), "bytes");
    EXPECT_EQ(router.Get("/p/" + Token('a') + "/photo.jpg").file,
              (storage.Root() / kDay / "NoTemplate" / "9-5-7.jpg").string());

    // Every way of missing is one and the same answer.
    const Reply missing = router.Get().NotFound();
    ASSERT_EQ(missing.status, 404);
    ExpectSecurityHeaders(missing, "404");
    const std::string a = "/p/" + Token('a');
    const std::string targets[] = {"/p/" + Token('d'),
                                   "/p/" + Token('c'),
                                   "/p/" + Token('c') + "/framed.jpg",
                                   "/p/" + Token('b') + "/voice.wav",
                                   "/p/" + Token('A'),
                                   "/p/" + Token('a').substr(1),
                                   a + "/",
                                   a + "//framed.jpg",
                                   a + "/framed.jpg/",
                                   a + "%2Fframed.jpg",
                                   a + "/%66ramed.jpg",
                                   a + "/framed.jpg?save=2",
                                   a + "?save=1",
                                   a + "/framed.jpg\\",
                                   a + "/framed.jpg" + std::string(1, '\0'),
                                   std::string("/p/") + '\0' + Token('a'),
                                   "/p/../" + std::string(kDay),
                                   "/p/" + Token('a') + "/../../Storage/Links/" + kDay + ".txt",
                                   "/P/" + Token('a'),
                                   "/t/" + Token('a') + ".jpg",
                                   "http://host" + a,
                                   "",
                                   "/",
                                   "/g/" + Id('9') + ".jpg",
                                   "/t/" + Id('3') + ".jpg",
                                   "/t/../" + Id('1') + ".jpg",
                                   "/s/../s/site.css",
                                   "/s/missing.js",
                                   "/g/list.json?x",
                                   "/index.html"};
    for (const std::string& target : targets) {
        EXPECT_TRUE(SameReply(router.Get(target), missing)) << "target " << target;
        EXPECT_TRUE(SameReply(router.Get(target, "DELETE"), missing) ||
                    router.Get(target, "DELETE").status == 405)
            << target;
    }
    const Reply post = router.Get(a, "POST");
    EXPECT_EQ(post.status, 405);
    EXPECT_EQ(HeaderValue(post.headers, "Allow"), "GET, HEAD");
    ExpectSecurityHeaders(post, "405");
    EXPECT_EQ(router.Get("/s/site.css").body, "body{}");

    // Switched off, the guest's page is the same 404 as a wrong token.
    Router off(storage, "", "Gala", false, true);
    EXPECT_TRUE(SameReply(off.Get(a), off.Get().NotFound()));
    EXPECT_TRUE(SameReply(off.Get(a + "/framed.jpg"), off.Get().NotFound()));
    EXPECT_EQ(off.Get("/g").status, 200);
}

TEST(GalleryRouter, GalleryListsTodayNewestFirstBehindItsEventCode) {
    Storage storage;
    storage.AddSignIn(Token('a'), Id('1'), "9-5-7");
    storage.AddSignIn(Token('b'), Id('2'), "10-0-0");
    storage.AddSignIn(Token('e'), Id('5'), "8-0-0", true, true, "2026-12-8");  // yesterday: not shown at noon
    Router router(storage, "Tulip 7");

    // Without the code: the form, and neither the list nor a picture.
    const Reply form = router.Get("/g");
    EXPECT_EQ(form.status, 200);
    EXPECT_NE(form.body.find("<form method=\"post\" action=\"/g\">"), std::string::npos);
    EXPECT_EQ(form.body.find(Id('1')), std::string::npos);
    EXPECT_EQ(router.Get("/g/list.json").status, 403);
    EXPECT_EQ(router.Get("/t/" + Id('1') + ".jpg").status, 403);
    EXPECT_EQ(router.Get("/g/" + Id('1') + ".jpg").status, 403);
    const Reply wrong = router.Post({{"code", "Tulip 8"}});
    EXPECT_EQ(wrong.status, 403);
    EXPECT_NE(wrong.body.find("text71"), std::string::npos);
    EXPECT_EQ(HeaderValue(wrong.headers, "Set-Cookie"), "");
    EXPECT_EQ(router.Post({}).status, 403);
    const Reply right = router.Post({{"code", "Tulip 7"}});
    ASSERT_EQ(right.status, 303);
    EXPECT_EQ(HeaderValue(right.headers, "Location"), "/g");
    const std::string cookie = HeaderValue(right.headers, "Set-Cookie");
    EXPECT_NE(cookie.find("HttpOnly"), std::string::npos);
    EXPECT_NE(cookie.find("SameSite=Strict"), std::string::npos);
    EXPECT_EQ(cookie.find("Tulip"), std::string::npos);
    const std::string value = cookie.substr(0, cookie.find(';'));
    EXPECT_EQ(router.Get("/g/list.json", "GET", {{"Cookie", "vg=" + std::string(64, '0')}}).status, 403);

    const Headers admitted{{"cookie", "other=1; " + value}};
    const Reply list = router.Get("/g/list.json", "GET", admitted);
    ASSERT_EQ(list.status, 200);
    EXPECT_EQ(list.content_type, "application/json; charset=utf-8");
    EXPECT_EQ(list.body, "{\"pictures\":[\n{\"id\":\"" + Id('2') +
                             "\",\"day\":\"2026-12-9\",\"time\":\"10:00:00\",\"thumbnail\":\"/t/" + Id('2') +
                             ".jpg\",\"picture\":\"/g/" + Id('2') + ".jpg\"},\n{\"id\":\"" + Id('1') +
                             "\",\"day\":\"2026-12-9\",\"time\":\"9:05:07\",\"thumbnail\":\"/t/" + Id('1') +
                             ".jpg\",\"picture\":\"/g/" + Id('1') + ".jpg\"}]}\n");
    EXPECT_EQ(list.body.find(Token('a')), std::string::npos);  // the gallery never shows a token
    const Headers again{{"Cookie", value}, {"If-None-Match", HeaderValue(list.headers, "ETag")}};
    EXPECT_EQ(router.Get("/g/list.json", "GET", again).status, 304);

    const Reply page = router.Get("/g", "GET", admitted);
    EXPECT_LT(page.body.find(Id('2')), page.body.find(Id('1')));
    EXPECT_NE(page.body.find("loading=\"lazy\""), std::string::npos);
    EXPECT_EQ(page.body.find(Token('a')), std::string::npos);
    const Reply thumbnail = router.Get("/t/" + Id('1') + ".jpg", "GET", admitted);
    ASSERT_EQ(thumbnail.status, 200);
    const QImage small = QImage::fromData(QByteArray::fromStdString(thumbnail.body), "JPG");
    EXPECT_EQ(small.size(), QSize(600, 450));
    EXPECT_EQ(router.Get("/g/" + Id('1') + ".jpg", "GET", admitted).file,
              (storage.Root() / kDay / "WithTemplate" / "9-5-7.jpg").string());
    EXPECT_EQ(router.Get("/g/" + Id('5') + ".jpg", "GET", admitted).status,
              200);  // any day's picture by its id

    // Code guesses are limited per phone; another phone may still try.
    for (int i = 0; i < 3; ++i) {
        router.Post({{"code", "guess"}});
    }
    EXPECT_EQ(router.Post({{"code", "Tulip 7"}}).status, 429);
    EXPECT_EQ(router.Post({{"code", "Tulip 7"}}, "10.0.0.3").status, 303);
    router.Advance(std::chrono::seconds(30));
    EXPECT_EQ(router.Post({{"code", "Tulip 7"}}).status, 303);

    // Switched off, the gallery is the 404 of everything else.
    Router off(storage, "", "Gala", true, false);
    EXPECT_TRUE(SameReply(off.Get("/g"), off.Get().NotFound()));
    EXPECT_TRUE(SameReply(off.Get("/g/list.json"), off.Get().NotFound()));
    EXPECT_TRUE(SameReply(off.Get("/t/" + Id('1') + ".jpg"), off.Get().NotFound()));
}

TEST(GalleryRouter, GalleryRequestsAreLimitedPerClient) {
    Storage storage;
    storage.AddSignIn(Token('a'), Id('1'), "9-5-7");
    Router router(storage);
    int answered = 0;
    for (int i = 0; i < 300; ++i) {
        answered += router.Get("/g/list.json").status == 200 ? 1 : 0;
    }
    EXPECT_EQ(answered, 240);
    const Reply refused = router.Get("/t/" + Id('1') + ".jpg");
    EXPECT_EQ(refused.status, 429);
    ExpectSecurityHeaders(refused, "429");
    EXPECT_EQ(router.Get("/g/list.json", "GET", {}, "10.0.0.9").status, 200);
    EXPECT_EQ(router.Get("/p/" + Token('a')).status, 200);  // the guest's own page is not the gallery
    router.Advance(std::chrono::seconds(1));
    EXPECT_EQ(router.Get("/g/list.json").status, 200);
}

TEST(GalleryWebText, DownloadNamesAndEscapesSurviveHostileText) {
    EXPECT_EQ(HtmlEscape("a<b>\"'&\xff"), "a&lt;b&gt;&quot;&#39;&amp;\xef\xbf\xbd");
    EXPECT_EQ(JsonString("x\"\\\n</script>"), "\"x\\\"\\\\\\u000A\\u003C/script\\u003E\"");
    EXPECT_EQ(FileNamePart("../春节 晚会/..\r\n"), "春节 晚会");
    EXPECT_EQ(ContentDisposition("attachment", "春.jpg", "a\"b\x01.jpg"),
              "attachment; filename=\"a_b_.jpg\"; filename*=UTF-8''%E6%98%A5.jpg");
}
