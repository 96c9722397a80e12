#pragma once
// One accepted connection as the library's stream: it owns the socket, keeps what was read past
// a request for the next one, and times out each read and write. Its requests are counted so
// that a kept-alive connection ends after its last one.
#include <httplib.h>

#include <array>
#include <chrono>
#include <cstddef>
#include <string>

namespace vantor::gallery {

class ConnectionReaper;

class ServerConnection : public httplib::Stream {
  public:
    struct Timeouts {
        std::chrono::milliseconds read{5000};
        std::chrono::milliseconds write{10000};
    };
    enum class Head { Waiting, Arrived, Closed };

    // Takes the socket; it is shut down and closed with the connection, and listed with the
    // reaper meanwhile.
    ServerConnection(int socket, Timeouts timeouts, int requests, ConnectionReaper& reaper);
    ~ServerConnection() override;
    ServerConnection(const ServerConnection&) = delete;
    ServerConnection& operator=(const ServerConnection&) = delete;

    // Whether the head of the next request is here whole (its blank line, or `limit` bytes, which
    // the library then refuses); never blocks.
    Head NextHead(std::size_t limit);
    // The peer's address, as text; empty when the socket has none.
    const std::string& Address() const { return address_; }
    // True for the last request this connection may make; CountRequest moves on to the next.
    bool LastRequest() const { return requests_left_ <= 1; }
    void CountRequest() { --requests_left_; }

    bool is_readable() const override;
    bool is_writable() const override;
    ssize_t read(char* ptr, size_t size) override;
    ssize_t write(const char* ptr, size_t size) override;
    void get_remote_ip_and_port(std::string& ip, int& port) const override;
    void get_local_ip_and_port(std::string& ip, int& port) const override;
    int socket() const override { return socket_; }

  private:
    const int socket_;
    const Timeouts timeouts_;
    ConnectionReaper& reaper_;
    int requests_left_;
    std::string address_;
    int port_ = 0;
    std::array<char, 4096> buffer_{};
    std::size_t buffered_from_ = 0;
    std::size_t buffered_to_ = 0;
    std::string peeked_;  // the bytes NextHead last looked at; reused
};

}  // namespace vantor::gallery
