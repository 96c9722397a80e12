#include "platform/printer_queue.h"

#include <cups/cups.h>

#include <cstring>
#include <memory>

namespace vantor {
namespace {

struct DestFree {
    void operator()(cups_dest_t* dest) const { cupsFreeDests(1, dest); }
};

struct IppFree {
    void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};

// The queue's "printer-state-message" ("out of paper"), which the destination list leaves out;
// empty when the scheduler does not give one.
std::string StateMessage(const std::string& uri) {
    if (uri.empty()) {
        return {};
    }
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri.c_str());
    static const char* const kWanted[] = {"printer-state-message"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 1, nullptr, kWanted);
    // cupsDoRequest takes the request over.
    const std::unique_ptr<ipp_t, IppFree> response(cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/"));
    if (!response) {
        return {};
    }
    ipp_attribute_t* message = ippFindAttribute(response.get(), "printer-state-message", IPP_TAG_TEXT);
    const char* text = message != nullptr ? ippGetString(message, 0, nullptr) : nullptr;
    return text != nullptr ? text : "";
}

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
            state.reason = StateMessage(option("printer-uri-supported"));
        }
        if (state.reason.empty()) {
            state.reason = stopped ? "stopped" : "not accepting jobs";
        }
    }
    return state;
}

}  // namespace vantor
