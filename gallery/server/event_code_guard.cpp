#include "server/event_code_guard.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QMessageAuthenticationCode>

namespace vantor::gallery {
namespace {

// Equal sizes are compared byte by byte without an early end.
bool SameInConstantTime(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    unsigned char difference = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    }
    return difference == 0;
}

}  // namespace

EventCodeGuard::EventCodeGuard(std::string code, const std::array<std::uint8_t, 32>& secret)
    : code_(std::move(code)), key_(reinterpret_cast<const char*>(secret.data()), secret.size()) {
    cookie_ = Mac(code_);
}

std::string EventCodeGuard::Mac(std::string_view text) const {
    const QByteArray mac = QMessageAuthenticationCode::hash(
        QByteArray(text.data(), static_cast<qsizetype>(text.size())),
        QByteArray(key_.data(), static_cast<qsizetype>(key_.size())), QCryptographicHash::Sha256);
    return mac.toHex().toStdString();
}

bool EventCodeGuard::CodeMatches(std::string_view given) const {
    // Both sides are hashed first, so the time taken tells nothing about the code's length.
    return Active() && SameInConstantTime(Mac(given), cookie_);
}

bool EventCodeGuard::Admits(std::string_view cookie_header) const {
    if (!Active()) {
        return true;
    }
    bool admitted = false;
    while (!cookie_header.empty()) {
        const std::size_t end = cookie_header.find(';');
        std::string_view pair = cookie_header.substr(0, end);
        cookie_header = end == std::string_view::npos ? std::string_view() : cookie_header.substr(end + 1);
        while (!pair.empty() && pair.front() == ' ') {
            pair.remove_prefix(1);
        }
        const std::size_t equals = pair.find('=');
        if (equals != std::string_view::npos && pair.substr(0, equals) == kCodeCookieName) {
            admitted = SameInConstantTime(pair.substr(equals + 1), cookie_) || admitted;
        }
    }
    return admitted;
}

}  // namespace vantor::gallery
