#pragma once
// The station's address on the local network, for the links that guests' phones open.
#include <optional>
#include <string>
#include <string_view>
#include "tarquel_export.h"

namespace vantor {

// The interface that carries the default route, from the text of /proc/net/route (the first
// default route of lowest metric that is up); nothing when there is none.
std::optional<std::string> DefaultRouteInterface(std::string_view proc_net_route);

// The IPv4 address of the interface with the default route ("192.168.1.20"); nothing on a
// machine without a network.
TARQUEL_API std::optional<std::string> DefaultRouteAddress();

}  // namespace vantor
