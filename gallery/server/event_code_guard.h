#pragma once
// The event code that may guard the gallery. A guest who typed it gets a cookie that proves it:
// a keyed hash of the code under a secret of this process, so the cookie never carries the code
// and a restart asks once again. Codes and cookies are compared in constant time.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vantor::gallery {

inline constexpr char kCodeCookieName[] = "vg";

class EventCodeGuard {
  public:
    EventCodeGuard(std::string code, const std::array<std::uint8_t, 32>& secret);

    // True when a code is set (the gallery asks for it).
    bool Active() const { return !code_.empty(); }
    bool CodeMatches(std::string_view given) const;
    // The cookie's value for a guest who gave the code.
    const std::string& CookieValue() const { return cookie_; }
    // True when the request's Cookie header carries the proof (or no code is set).
    bool Admits(std::string_view cookie_header) const;

  private:
    std::string Mac(std::string_view text) const;

    std::string code_;
    std::string key_;
    std::string cookie_;  // hex of Mac(code_)
};

}  // namespace vantor::gallery
