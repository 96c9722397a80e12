// The photo server on a real loopback socket: what a phone receives, and that oversized, slow,
// idle and malformed clients are refused or timed out while a normal request is still answered.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <thread>

#include "gallery_fixture.h"
#include "server/catalog_watcher.h"
#include "server/gallery_router.h"
#include "server/http_server.h"

using namespace vantor::gallery;
using namespace gallery_test;
using Clock = std::chrono::steady_clock;

namespace {

ServerLimits QuickLimits() {
    ServerLimits limits;
    limits.threads = 4;
    limits.keep_alive_timeout = std::chrono::seconds(1);
    limits.read_timeout = std::chrono::milliseconds(1000);
    limits.write_timeout = std::chrono::milliseconds(2000);
    // Longer than any test: silent connections stay with the kernel, as they do on the station.
    limits.defer_accept_seconds = 30;
    limits.max_connection_age = std::chrono::seconds(2);
    return limits;
}

// A server on 127.0.0.1 and a free port over a storage with one sign-in.
class Served {
  public:
    Served()
        : catalog_(storage_.LogicRoot()),
          thumbnails_(4 << 20),
          guard_("", {}),
          clock_(kNoon),
          router_(Setup(), catalog_, thumbnails_, guard_, clock_),
          watcher_(catalog_, thumbnails_, clock_, std::chrono::milliseconds(100)),
          server_([this](const Request& request) { return router_.Handle(request); }, router_.NotFound(),
                  QuickLimits()) {
        storage_.AddSignIn(Token('a'), Id('1'), "9-5-7");
        catalog_.Refresh();
        if (server_.Bind("127.0.0.1", 0)) {
            server_.Start();
        }
    }
    int Port() const { return server_.Port(); }
    Storage& Files() { return storage_; }
    ThumbnailCache& Thumbnails() { return thumbnails_; }
    httplib::Client Client() const {
        httplib::Client client("127.0.0.1", Port());
        client.set_connection_timeout(3);
        client.set_read_timeout(3);
        return client;
    }
    // A normal request, as every security case checks afterwards.
    void ExpectPageServed() const {
        const auto started = Clock::now();
        auto answer = Client().Get("/p/" + Token('a'));
        ASSERT_TRUE(answer) << "no answer: " << httplib::to_string(answer.error());
        EXPECT_EQ(answer->status, 200);
        EXPECT_LT(Clock::now() - started, std::chrono::seconds(2));
    }

  private:
    static RouterSetup Setup() {
        RouterSetup setup;
        setup.page = EnglishPages();
        setup.static_files["page.js"] = {"text/javascript; charset=utf-8", "/* share */"};
        return setup;
    }

    Storage storage_;
    PictureCatalog catalog_;
    ThumbnailCache thumbnails_;
    EventCodeGuard guard_;
    vantor::ManualClock clock_;
    GalleryRouter router_;
    CatalogWatcher watcher_;
    HttpServer server_;
};

int Connect(int port) {
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(socket);
        return -1;
    }
    return socket;
}

// Sends the bytes on a new connection and reads until the server closes it or `wait` passes.
std::string Exchange(int port, const std::string& bytes,
                     std::chrono::milliseconds wait = std::chrono::seconds(3)) {
    const int socket = Connect(port);
    if (socket < 0) {
        return "(no connection)";
    }
    ::send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    std::string answer;
    const auto end = Clock::now() + wait;
    while (Clock::now() < end) {
        pollfd readable{socket, POLLIN, 0};
        if (::poll(&readable, 1, 50) == 1) {
            char buffer[4096];
            const ssize_t got = ::recv(socket, buffer, sizeof buffer, 0);
            if (got <= 0) {
                break;
            }
            answer.append(buffer, static_cast<std::size_t>(got));
        }
    }
    ::close(socket);
    return answer;
}

}  // namespace

TEST(GalleryServer, PhoneReceivesThePageThePicturesBytesAndNewSignIns) {
    Served served;
    ASSERT_GT(served.Port(), 0) << "could not bind a loopback port";
    auto client = served.Client();
    auto page = client.Get("/p/" + Token('a'));
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    EXPECT_NE(page->body.find("/p/" + Token('a') + "/framed.jpg"), std::string::npos);
    EXPECT_EQ(page->get_header_value("X-Content-Type-Options"), "nosniff");
    EXPECT_EQ(page->get_header_value_count("Content-Security-Policy"), 1u);

    const auto day = served.Files().Root() / kDay;
    auto framed = client.Get("/p/" + Token('a') + "/framed.jpg?save=1");
    ASSERT_TRUE(framed);
    EXPECT_EQ(framed->status, 200);
    EXPECT_EQ(framed->get_header_value("Content-Type"), "image/jpeg");
    EXPECT_EQ(framed->body, served.Files().Read(day / "WithTemplate" / "9-5-7.jpg"));
    EXPECT_EQ(framed->get_header_value("Content-Disposition").rfind("attachment;", 0), 0u);
    const std::string voice = served.Files().Read(day / "Audio" / "9-5-7.wav");
    auto part = client.Get("/p/" + Token('a') + "/voice.wav", {{"Range", "bytes=100-1099"}});
    ASSERT_TRUE(part);
    EXPECT_EQ(part->status, 206);
    EXPECT_EQ(part->body, voice.substr(100, 1000));
    EXPECT_EQ(part->get_header_value("Content-Range"), "bytes 100-1099/" + std::to_string(voice.size()));

    // A sign-in saved while the server runs is in the list within a second or two, its
    // thumbnail made ahead.
    served.Files().AddSignIn(Token('b'), Id('2'), "10-0-0");
    std::string list;
    for (int i = 0; i < 40 && list.find(Id('2')) == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        auto answer = client.Get("/g/list.json");
        list = answer ? answer->body : std::string();
    }
    EXPECT_NE(list.find(Id('2')), std::string::npos) << list;
    EXPECT_EQ(list.find(Token('b')), std::string::npos);
    for (int i = 0; i < 40 && !served.Thumbnails().Contains(Id('2')); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_TRUE(served.Thumbnails().Contains(Id('2')));

    // Wrong methods and targets, refused with the same headers.
    auto removed = client.Delete("/p/" + Token('a'));
    ASSERT_TRUE(removed);
    EXPECT_EQ(removed->status, 405);
    EXPECT_EQ(removed->get_header_value("X-Content-Type-Options"), "nosniff");
    const char with_nul[] = "GET /p/\0aa HTTP/1.1\r\nHost: x\r\n\r\n";
    for (const std::string& request : std::vector<std::string>{
             "FOO /g HTTP/1.1\r\nHost: x\r\n\r\n", "GET /p/%2e%2e/Storage HTTP/1.1\r\nHost: x\r\n\r\n",
             std::string(with_nul, sizeof with_nul - 1)}) {
        const std::string answer = Exchange(served.Port(), request);
        EXPECT_TRUE(answer.rfind("HTTP/1.1 400", 0) == 0 || answer.rfind("HTTP/1.1 404", 0) == 0) << answer;
        EXPECT_NE(answer.find("X-Content-Type-Options: nosniff"), std::string::npos) << answer;
    }
    served.ExpectPageServed();
}

TEST(GalleryServer, OversizedRequestsAreRefused) {
    Served served;
    ASSERT_GT(served.Port(), 0);
    const std::string long_target = "GET /p/" + std::string(20000, 'a') + " HTTP/1.1\r\nHost: x\r\n\r\n";
    EXPECT_EQ(Exchange(served.Port(), long_target).substr(0, 12), "HTTP/1.1 414");
    const std::string long_header =
        "GET /g HTTP/1.1\r\nHost: x\r\nX-Big: " + std::string(20000, 'b') + "\r\n\r\n";
    const std::string refused = Exchange(served.Port(), long_header);
    EXPECT_TRUE(refused.empty() || refused.rfind("HTTP/1.1 4", 0) == 0) << refused.substr(0, 100);
    EXPECT_EQ(refused.find("200 OK"), std::string::npos);
    std::string many = "GET /g HTTP/1.1\r\nHost: x\r\n";
    for (int i = 0; i < 300; ++i) {
        many += "X-" + std::to_string(i) + ": " + std::string(60, 'c') + "\r\n";
    }
    EXPECT_EQ(Exchange(served.Port(), many + "\r\n").substr(0, 12), "HTTP/1.1 431");
    const std::string big_form =
        "POST /g HTTP/1.1\r\nHost: x\r\nContent-Type: application/x-www-form-urlencoded\r\n"
        "Content-Length: 1000000\r\n\r\ncode=";
    EXPECT_EQ(Exchange(served.Port(), big_form).substr(0, 12), "HTTP/1.1 413");
    served.ExpectPageServed();
}

TEST(GalleryServer, SlowClientIsCutOffAndIdleCrowdShutsNobodyOut) {
    Served served;
    ASSERT_GT(served.Port(), 0);
    // Half a request, then silence: the connection is closed after the read timeout.
    const auto started = Clock::now();
    const std::string slow =
        Exchange(served.Port(), "GET /g HTTP/1.1\r\nHost: x\r\n", std::chrono::seconds(8));
    const auto took = Clock::now() - started;
    EXPECT_EQ(slow.find("200 OK"), std::string::npos);
    EXPECT_LT(took, std::chrono::seconds(5)) << "the slow client was not cut off";
    served.ExpectPageServed();

    // A request trickled a byte at a time passes every read timeout, but not the age limit.
    const int trickle = Connect(served.Port());
    ASSERT_GE(trickle, 0);
    const std::string start = "GET /g HTTP/1.1\r\nHost: x\r\nX-Slow: ";
    ::send(trickle, start.data(), start.size(), MSG_NOSIGNAL);
    const auto trickled = Clock::now();
    bool closed = false;
    while (!closed && Clock::now() - trickled < std::chrono::seconds(8)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        char buffer[256];
        closed = ::send(trickle, "a", 1, MSG_NOSIGNAL) != 1 ||
                 ::recv(trickle, buffer, sizeof buffer, MSG_DONTWAIT) == 0;
    }
    ::close(trickle);
    EXPECT_TRUE(closed) << "a trickling client kept its connection";
    EXPECT_LT(Clock::now() - trickled, std::chrono::seconds(5));
    served.ExpectPageServed();

    // Ten thousand connections, each silent or stuck inside its request head: they wait without
    // a thread (the oldest of one address closed beyond its share) and a phone is still answered.
    constexpr int kCrowd = 10000;
    rlimit files{};
    ::getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = std::max<rlim_t>(files.rlim_cur, std::min<rlim_t>(files.rlim_max, kCrowd + 4096));
    ::setrlimit(RLIMIT_NOFILE, &files);
    ASSERT_GE(files.rlim_cur, kCrowd + 4096u)
        << "this machine allows " << files.rlim_max << " open files; the crowd needs " << kCrowd + 4096;
    std::vector<int> crowd;
    for (int i = 0; i < kCrowd; ++i) {
        const int socket = Connect(served.Port());
        ASSERT_GE(socket, 0) << "connection " << i;
        if (i % 3 != 0) {
            const std::string half = "GET /g HTTP/1.1\r\nHost: x\r\n";
            ::send(socket, half.data(), half.size(), MSG_NOSIGNAL);
        }
        crowd.push_back(socket);
    }
    {
        SCOPED_TRACE("amid the crowd");
        served.ExpectPageServed();
    }
    for (const int socket : crowd) {
        ::close(socket);
    }
    served.ExpectPageServed();
}

TEST(GalleryServer, SecondServerCannotTakeTheSamePort) {
    Served served;
    ASSERT_GT(served.Port(), 0);
    HttpServer second([](const Request&) { return Reply{}; }, Reply{}, QuickLimits());
    EXPECT_FALSE(second.Bind("127.0.0.1", served.Port())) << "two servers would share the port";
    HttpServer elsewhere([](const Request&) { return Reply{}; }, Reply{}, QuickLimits());
    EXPECT_FALSE(elsewhere.Bind("192.0.2.1", 0)) << "an address not of this machine";
    served.ExpectPageServed();
}
