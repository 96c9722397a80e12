#include "server/http_server.h"

#include <httplib.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QLoggingCategory>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <vector>

#include "platform/whole_file.h"
#include "server/connection_reaper.h"
#include "server/gallery_router.h"
#include "server/server_connection.h"
#include "server/waiting_room.h"

namespace vantor::gallery {

namespace {

Q_LOGGING_CATEGORY(lcHttp, "vantor.gallery")

constexpr std::size_t kMaxHeaderCount = 100;
constexpr std::size_t kReadChunk = 64 * 1024;

// The connections' worker threads, and the room where connections wait for their next request
// without a thread. The newest connection is served first: when many slow connections are queued
// (each one closed by the timeouts in its turn), a phone that connects now is still answered at
// once instead of after all of them.
class NewestFirstPool : public httplib::TaskQueue {
  public:
    NewestFirstPool(int threads, WaitingRoom::Limits room, WaitingRoom::Arrived arrived)
        : room_(room, std::move(arrived)) {
        for (int i = 0; i < threads; ++i) {
            threads_.emplace_back([this] { Work(); });
        }
    }

    void enqueue(std::function<void()> job) override {
        {
            std::lock_guard lock(mutex_);
            jobs_.push_back(std::move(job));
        }
        wake_.notify_one();
    }

    void shutdown() override {
        // The room first: it hands no more connections to the workers once they stop.
        room_.Close();
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        for (std::thread& thread : threads_) {
            thread.join();
        }
        threads_.clear();
    }

    WaitingRoom& Room() { return room_; }

  private:
    void Work() {
        for (;;) {
            std::function<void()> job;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return !jobs_.empty() || stopping_; });
                if (jobs_.empty()) {
                    return;  // stopping, and every accepted connection was served and closed
                }
                job = std::move(jobs_.back());
                jobs_.pop_back();
            }
            job();
        }
    }

    WaitingRoom room_;
    std::mutex mutex_;  // guards jobs_ and stopping_
    std::condition_variable wake_;
    std::deque<std::function<void()>> jobs_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace

// The library's server, with its connections handled here: each one waits in the room until its
// next request is all there, then a worker has the library read and answer it.
class ListeningServer : public httplib::Server {
  public:
    ListeningServer(const ServerLimits& limits, ConnectionReaper& reaper) : limits_(limits), reaper_(reaper) {
        new_task_queue = [this] {
            WaitingRoom::Limits room;
            room.head_bytes = HeadBytes();
            room.most = limits_.most_waiting;
            room.most_per_address = limits_.most_waiting_per_address;
            auto pool = std::make_unique<NewestFirstPool>(limits_.threads, room, [this](auto connection) {
                pool_->enqueue([this, connection] { Serve(connection); });
            });
            pool_ = pool.get();
            return pool.release();  // the library owns the queue and deletes it when it stops
        };
    }

    // The library listens with a queue of 5 connections: a room of phones opening the gallery at
    // once would find it full and wait for their connection's retry. Listening again on the bound
    // socket only changes the length of its queue.
    bool WidenQueue(int length) { return ::listen(svr_sock_, length) == 0; }

  private:
    // A head this long counts as arrived: the library reads it and refuses it (the request line
    // and the headers' bound, with room for the lines around them).
    std::size_t HeadBytes() const { return limits_.max_header_bytes + 2048; }

    bool process_and_close_socket(int socket) override {
        const ServerConnection::Timeouts timeouts{limits_.read_timeout, limits_.write_timeout};
        Serve(std::make_shared<ServerConnection>(socket, timeouts, limits_.keep_alive_requests, reaper_));
        return true;
    }

    // On a worker: answers the requests that are here, then leaves the connection waiting for
    // its next one (or closes it with its last reference).
    void Serve(const std::shared_ptr<ServerConnection>& connection) {
        auto wait = std::chrono::duration_cast<WaitingRoom::Clock::duration>(limits_.read_timeout);
        while (is_running()) {
            switch (connection->NextHead(HeadBytes())) {
                case ServerConnection::Head::Closed:
                    return;
                case ServerConnection::Head::Waiting:
                    pool_->Room().Admit(connection, WaitingRoom::Clock::now() + wait);
                    return;
                case ServerConnection::Head::Arrived:
                    break;
            }
            const bool last = connection->LastRequest();
            bool closed = false;
            if (!process_request(*connection, last, closed, {}) || closed || last) {
                return;
            }
            connection->CountRequest();
            wait = limits_.keep_alive_timeout;
        }
    }

    const ServerLimits limits_;
    ConnectionReaper& reaper_;
    NewestFirstPool* pool_ = nullptr;  // the library's queue while it listens
};

namespace {

const char* ReasonText(int status) {
    switch (status) {
        case 400:
            return "Bad Request\n";
        case 404:
            return "Not Found\n";
        case 405:
            return "Method Not Allowed\n";
        case 408:
            return "Request Timeout\n";
        case 413:
            return "Payload Too Large\n";
        case 414:
            return "URI Too Long\n";
        case 416:
            return "Range Not Satisfiable\n";
        case 431:
            return "Request Header Fields Too Large\n";
        default:
            return "Error\n";
    }
}

void PutHeaders(httplib::Response& response, const Headers& headers) {
    for (const auto& [name, value] : headers) {
        response.headers.erase(name);
    }
    for (const auto& [name, value] : headers) {
        response.headers.emplace(name, value);
    }
}

bool HeadersTooLarge(const httplib::Request& request, std::size_t max_bytes) {
    std::size_t bytes = 0;
    for (const auto& [name, value] : request.headers) {
        bytes += name.size() + value.size() + 4;
    }
    return bytes > max_bytes || request.headers.size() > kMaxHeaderCount;
}

void SendReply(const Reply& reply, httplib::Response& response) {
    response.status = reply.status;
    PutHeaders(response, reply.headers);
    if (!reply.content_type.empty() || !reply.body.empty()) {
        response.set_content(reply.body, reply.content_type.empty() ? "text/plain" : reply.content_type);
    }
}

// A file of the storage, sent from an open descriptor in pieces; the library answers byte
// ranges (206) from it, which Safari needs for audio.
bool SendFile(const Reply& reply, httplib::Response& response) {
    auto file = std::make_shared<ReadOnlyFile>(reply.file, kWholeFileLimit);
    if (!file->IsOpen()) {
        return false;
    }
    // Left to the library when it is a plain 200: it answers a Range request with 206.
    if (reply.status != 200) {
        response.status = reply.status;
    }
    PutHeaders(response, reply.headers);
    const std::size_t size = file->Size();
    if (size == 0) {
        response.set_content("", reply.content_type);
        return true;
    }
    response.set_content_provider(
        size, reply.content_type, [file](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
            std::vector<char> buffer(std::min(length, kReadChunk));
            const ssize_t got = ::pread(file->Fd(), buffer.data(), buffer.size(), static_cast<off_t>(offset));
            return got > 0 && sink.write(buffer.data(), static_cast<std::size_t>(got));
        });
    return true;
}

void Serve(const HttpServer::Handler& handler, const Reply& not_found, const httplib::Request& from,
           httplib::Response& response) {
    Request request;
    request.method = from.method;
    request.target = from.target;
    request.client = from.remote_addr;
    request.received = std::chrono::steady_clock::now();
    for (const auto& [name, value] : from.headers) {
        request.headers.emplace_back(name, value);
    }
    if (from.method == "POST") {
        for (const auto& [name, value] : from.params) {
            request.form.emplace(name, value);
        }
    }
    const Reply reply = handler(request);
    if (reply.file.empty() || !SendFile(reply, response)) {
        SendReply(reply.file.empty() ? reply : not_found, response);
    }
}

}  // namespace

HttpServer::HttpServer(Handler handler, Reply not_found, ServerLimits limits)
    : handler_(std::move(handler)),
      not_found_(std::move(not_found)),
      limits_(limits),
      reaper_(std::make_unique<ConnectionReaper>(limits_.max_connection_age)),
      server_(std::make_unique<ListeningServer>(limits_, *reaper_)) {
    const int defer = limits_.defer_accept_seconds;
    // No SO_REUSEPORT (the library's default): a second server on the same port must fail to
    // bind instead of sharing it.
    server_->set_socket_options([defer](int socket) {
        const int on = 1;
        ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        if (defer > 0) {
            ::setsockopt(socket, IPPROTO_TCP, TCP_DEFER_ACCEPT, &defer, sizeof defer);
        }
    });
    server_->set_keep_alive_max_count(static_cast<std::size_t>(limits_.keep_alive_requests));
    server_->set_keep_alive_timeout(static_cast<time_t>(limits_.keep_alive_timeout.count()));
    server_->set_read_timeout(limits_.read_timeout);
    server_->set_write_timeout(limits_.write_timeout);
    server_->set_payload_max_length(limits_.max_body_bytes);
    httplib::Headers defaults;
    for (const auto& [name, value] : SecurityHeaders()) {
        defaults.emplace(name, value);
    }
    server_->set_default_headers(defaults);

    // Every request but the event code's form is answered before any body is read; the form
    // goes through the library's reading of its fields.
    server_->set_pre_routing_handler([this](const httplib::Request& request, httplib::Response& response) {
        if (HeadersTooLarge(request, limits_.max_header_bytes)) {
            response.status = 431;
            return httplib::Server::HandlerResponse::Handled;
        }
        if (request.method == "POST" && request.target == "/g") {
            return httplib::Server::HandlerResponse::Unhandled;
        }
        Serve(handler_, not_found_, request, response);
        return httplib::Server::HandlerResponse::Handled;
    });
    server_->Post("/g", [this](const httplib::Request& request, httplib::Response& response) {
        Serve(handler_, not_found_, request, response);
    });
    // Answers the library makes itself (a bad request line, a target too long) get a body and
    // the same headers as every other answer.
    server_->set_error_handler(
        httplib::Server::HandlerWithResponse([](const httplib::Request&, httplib::Response& response) {
            if (response.body.empty() && !response.content_provider_) {
                response.set_content(ReasonText(response.status), "text/plain; charset=utf-8");
            }
            if (!response.has_header("Cache-Control")) {
                response.set_header("Cache-Control", "no-store");
            }
            return httplib::Server::HandlerResponse::Handled;
        }));
}

HttpServer::~HttpServer() {
    Stop();
}

bool HttpServer::Bind(const std::string& address, int port) {
    if (port == 0) {
        port_ = server_->bind_to_any_port(address);
    } else if (server_->bind_to_port(address, port)) {
        port_ = port;
    }
    if (port_ > 0 && !server_->WidenQueue(limits_.listen_queue)) {
        qCWarning(lcHttp) << "the listening queue stays at the library's length:" << std::strerror(errno);
    }
    return port_ > 0;
}

void HttpServer::Start() {
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    // Stop before the loop runs would be lost: wait until the server listens.
    for (int i = 0; i < 5000 && !server_->is_running(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (!server_->is_running()) {
        qCWarning(lcHttp) << "the server did not start listening";
    }
    reaper_->Begin();
}

void HttpServer::Stop() {
    if (thread_.joinable()) {
        server_->stop();
        thread_.join();
    }
}

}  // namespace vantor::gallery
