#pragma once
// One request and its answer as the photo server's logic sees them, free of any socket or HTTP
// library: the layer over the library fills a Request and sends back the Reply.
#include <chrono>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vantor::gallery {

using Headers = std::vector<std::pair<std::string, std::string>>;

// The value of the first header of that name (compared without case); empty when there is none.
std::string HeaderValue(const Headers& headers, std::string_view name);

struct Request {
    std::string method;                       // "GET", "HEAD", "POST", ...
    std::string target;                       // as sent: "/p/<token>/framed.jpg?save=1"
    Headers headers;                          // as sent
    std::map<std::string, std::string> form;  // the fields of a posted form, decoded
    std::string client;                       // the peer's address
    std::chrono::steady_clock::time_point received{};
};

struct Reply {
    int status = 200;
    std::string content_type;  // "text/html; charset=utf-8"
    Headers headers;           // besides the content type
    std::string body;
    // A file to send instead of the body (native path, opened when sent); byte ranges apply.
    std::string file;
};

}  // namespace vantor::gallery
