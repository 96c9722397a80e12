#include "video_units.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace zorvane {

std::int32_t SecondsFromNanoseconds(std::int64_t nanoseconds) {
    const std::int64_t seconds = nanoseconds / kNanosecondsPerSecond;
    if (seconds > std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (seconds < std::numeric_limits<std::int32_t>::min()) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(seconds);
}

std::int64_t NanosecondsFromSeconds(std::int32_t seconds) {
    return static_cast<std::int64_t>(seconds) * kNanosecondsPerSecond;
}

std::optional<double> LinearFromAttenuation(std::int32_t hundredths_dB) {
    if (hundredths_dB > kFullVolume || hundredths_dB < kSilentVolume) {
        return std::nullopt;
    }
    if (hundredths_dB == kSilentVolume) {
        return 0.0;
    }
    return std::pow(10.0, static_cast<double>(hundredths_dB) / 2000.0);
}

std::int32_t AttenuationFromLinear(double linear) {
    if (!(linear > 0.0)) {
        return kSilentVolume;
    }
    const double hundredths = std::round(2000.0 * std::log10(linear));
    if (hundredths <= kSilentVolume) {
        return kSilentVolume;
    }
    return static_cast<std::int32_t>(std::min(hundredths, 0.0));
}

std::u16string ClockText(std::int32_t seconds) {
    if (seconds <= 0) {
        return u"00:00:00";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return std::u16string(text, text + std::strlen(text));  // digits and colons: ASCII
}

}  // namespace zorvane
