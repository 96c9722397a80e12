#include "platform/network_address.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/route.h>
#include <netinet/in.h>

#include <limits>
#include <memory>
#include <sstream>

#include "platform/whole_file.h"

namespace vantor {
namespace {

struct IfAddrsFree {
    void operator()(ifaddrs* list) const { freeifaddrs(list); }
};

}  // namespace

std::optional<std::string> DefaultRouteInterface(std::string_view proc_net_route) {
    std::istringstream lines{std::string(proc_net_route)};
    std::string line;
    std::getline(lines, line);  // the column names
    std::optional<std::string> best;
    unsigned long best_metric = std::numeric_limits<unsigned long>::max();
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string name, destination, gateway, flags, refcnt, use, metric, mask;
        if (!(fields >> name >> destination >> gateway >> flags >> refcnt >> use >> metric >> mask)) {
            continue;
        }
        unsigned long flag_bits = 0, metric_value = 0;
        try {
            flag_bits = std::stoul(flags, nullptr, 16);
            metric_value = std::stoul(metric);
        } catch (const std::exception&) {
            continue;
        }
        if (destination == "00000000" && mask == "00000000" && (flag_bits & RTF_UP) != 0 &&
            metric_value < best_metric) {
            best = name;
            best_metric = metric_value;
        }
    }
    return best;
}

std::optional<std::string> DefaultRouteAddress() {
    const std::optional<std::string> table = ReadWholeFile("/proc/net/route", 1 << 20);
    const std::optional<std::string> interface = table ? DefaultRouteInterface(*table) : std::nullopt;
    ifaddrs* raw = nullptr;
    if (!interface || getifaddrs(&raw) != 0) {
        return std::nullopt;
    }
    const std::unique_ptr<ifaddrs, IfAddrsFree> list(raw);
    for (const ifaddrs* entry = list.get(); entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr != nullptr && entry->ifa_addr->sa_family == AF_INET &&
            *interface == entry->ifa_name) {
            char text[INET_ADDRSTRLEN] = {};
            const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
            if (inet_ntop(AF_INET, &address->sin_addr, text, sizeof text) != nullptr) {
                return std::string(text);
            }
        }
    }
    return std::nullopt;
}

}  // namespace vantor
