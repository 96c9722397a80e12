#pragma once
// The thin layer between cpp-httplib and the router: it turns the library's requests into
// Requests and Replies into answers, and sets the limits that keep slow, idle or oversized
// clients from tying the server up.
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include "server/exchange.h"

namespace vantor::gallery {

class ListeningServer;
class ConnectionReaper;

struct ServerLimits {
    int threads = 48;
    // A connection that sends nothing of its next request for this long is closed.
    std::chrono::seconds keep_alive_timeout{3};
    int keep_alive_requests = 50;
    // Each read of a request and each write of an answer.
    std::chrono::milliseconds read_timeout{5000};
    std::chrono::milliseconds write_timeout{10000};
    // A request's headers, all together (each line and the target are bounded by the library).
    std::size_t max_header_bytes = 16 * 1024;
    std::size_t max_body_bytes = 4096;
    // Seconds a new connection may stay silent before the kernel hands it over (0: at once):
    // until then an idle connection costs no worker thread.
    int defer_accept_seconds = 10;
    // A connection lasting longer is shut down, whatever it does (a client that trickles its
    // request byte by byte passes every read timeout).
    std::chrono::seconds max_connection_age{120};
    // Connections the kernel keeps waiting for their accept.
    int listen_queue = 1024;
    // Connections waiting for their next request without a thread: in all, and from one address.
    std::size_t most_waiting = 4096;
    std::size_t most_waiting_per_address = 256;
};

class HttpServer {
  public:
    using Handler = std::function<Reply(const Request&)>;

    // `not_found` answers a file that disappeared between routing and sending.
    HttpServer(Handler handler, Reply not_found, ServerLimits limits = {});
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Binds to the address and port (0: any free one); false when it cannot.
    bool Bind(const std::string& address, int port);
    int Port() const { return port_; }
    // Serves on a thread of its own until Stop (or the destructor).
    void Start();
    void Stop();

  private:
    Handler handler_;
    Reply not_found_;
    ServerLimits limits_;
    std::unique_ptr<ConnectionReaper> reaper_;  // outlives every connection of server_
    std::unique_ptr<ListeningServer> server_;
    int port_ = 0;
    std::thread thread_;
};

}  // namespace vantor::gallery
