#pragma once
// What the printing system (CUPS) says about a printer queue before a job is sent: Qt hands a
// finished document to CUPS and does not report a queue that refuses it, so the printer asks
// first.
#include <string>

namespace vantor {

struct PrinterQueueState {
    bool exists = false;
    bool accepting = false;  // takes new jobs and is not stopped
    std::string reason;      // the queue's own message when it does not ("out of paper")
};

PrinterQueueState QueryPrinterQueue(const std::string& name);

}  // namespace vantor
