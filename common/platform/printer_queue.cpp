#include "platform/printer_queue.h"

#include <cups/cups.h>

#include <cstring>
#include <memory>

namespace vantor {
namespace {

struct DestFree {
    void operator()(cups_dest_t* dest) const { cupsFreeDests(1, dest); }
};

}  // namespace

PrinterQueueState QueryPrinterQueue(const std::string& name) {
    PrinterQueueState state;
    const std::unique_ptr<cups_dest_t, DestFree> dest(
        cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.c_str(), nullptr));
    if (!dest) {
        state.reason = "no such printer";
        return state;
    }
    state.exists = true;
    const auto option = [&dest](const char* key) {
        const char* value = cupsGetOption(key, dest->num_options, dest->options);
        return std::string(value != nullptr ? value : "");
    };
    const bool accepting = option("printer-is-accepting-jobs") != "false";
    const bool stopped = option("printer-state") == "5";  // IPP_PSTATE_STOPPED
    state.accepting = accepting && !stopped;
    if (!state.accepting) {
        state.reason = option("printer-state-message");
        if (state.reason.empty()) {
            state.reason = stopped ? "stopped" : "not accepting jobs";
        }
    }
    return state;
}

}  // namespace vantor
