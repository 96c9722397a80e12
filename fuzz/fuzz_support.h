#pragma once
// What every fuzz target shares: message boxes answered silently (a box per input would flood
// the output and the headless service keeps each one), a code page picked by one input byte, and
// a check that stops the run like a crash when a property of the code does not hold.
#include <QtGlobal>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/message_box.h"

namespace vantor_fuzz {

class SilentMessageBoxes : public vantor::MessageBoxService {
  public:
    vantor::MessageAnswer Show(const vantor::MessageBoxRequest& request) override {
        return request.buttons == vantor::MessageButtons::YesNo ? vantor::MessageAnswer::No
                                                                : vantor::MessageAnswer::Ok;
    }
};

// Every target is linked with fuzz_initialize.cpp, whose LLVMFuzzerInitialize installs this
// service for the whole run.

// The narrow code pages the programs meet: the locale's UTF-8 and the Windows ones of the files
// organisers bring.
inline const char* CodePage(std::uint8_t selector) {
    static const char* const kCodePages[] = {"UTF-8", "GBK", "CP1252", "BIG5", "SHIFT_JIS", "GB18030"};
    return kCodePages[selector % (sizeof kCodePages / sizeof kCodePages[0])];
}

// Reads input from the front of the fuzzer's bytes.
class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t Byte() { return size_ > 0 ? (--size_, *data_++) : 0; }
    std::uint32_t Word() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            value = value << 8 | Byte();
        }
        return value;
    }
    // Up to `most` bytes, up to the next byte equal to `end` (consumed, not included).
    std::string_view Bytes(std::size_t most, int end = -1) {
        std::size_t n = 0;
        while (n < size_ && n < most && (end < 0 || data_[n] != end)) {
            ++n;
        }
        const std::string_view taken(reinterpret_cast<const char*>(data_), n);
        const std::size_t skip = n < size_ && end >= 0 && data_[n] == end ? n + 1 : n;
        data_ += skip;
        size_ -= skip;
        return taken;
    }
    std::string_view Rest() { return Bytes(size_); }
    std::size_t Left() const { return size_; }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
};

// Reported through Qt's fatal message, which aborts: the fuzzer keeps the input as a crash.
[[noreturn]] inline void Fail(const char* what, const char* file, int line) {
    qFatal("fuzz check failed: %s (%s:%d)", what, file, line);
    std::abort();  // not reached
}

}  // namespace vantor_fuzz

#define FUZZ_CHECK(condition)                                    \
    do {                                                         \
        if (!(condition)) {                                      \
            ::vantor_fuzz::Fail(#condition, __FILE__, __LINE__); \
        }                                                        \
    } while (false)
