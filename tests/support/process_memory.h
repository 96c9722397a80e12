#pragma once
// The process's own memory figures from /proc, for the tests and benchmarks that measure them.
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vantor_test {

// From /proc/self/status, in megabytes: VmRSS (resident now) or VmHWM (its peak).
inline double StatusMegabytes(const char* field) {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) {
        return 0;
    }
    char line[256];
    double kilobytes = 0;
    const size_t length = std::strlen(field);
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::strncmp(line, field, length) == 0 && line[length] == ':') {
            kilobytes = std::atof(line + length + 1);
        }
    }
    std::fclose(status);
    return kilobytes / 1024.0;
}

// Starts the peak afresh from the resident size now. False when the system does not allow it.
inline bool ResetPeak() {
    std::FILE* clear = std::fopen("/proc/self/clear_refs", "w");
    if (clear == nullptr) {
        return false;
    }
    const bool written = std::fputs("5", clear) >= 0;
    return std::fclose(clear) == 0 && written;
}

}  // namespace vantor_test
