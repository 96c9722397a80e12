// The units of the video interface: whole seconds from the framework's nanoseconds, the clock text
// of a duration (also through the exported function), and volumes in hundredths of a decibel.
#include <gtest/gtest.h>
#include <cmath>
#include <cstdint>
#include <limits>
#include "video_units.h"
#include "zorvane.h"

using namespace zorvane;

namespace {

TEST(VideoUnits, SecondsAreTruncatedTowardZeroAndSaturate) {
    EXPECT_EQ(SecondsFromNanoseconds(0), 0);
    EXPECT_EQ(SecondsFromNanoseconds(999'999'999), 0);
    EXPECT_EQ(SecondsFromNanoseconds(1'000'000'000), 1);
    EXPECT_EQ(SecondsFromNanoseconds(59'900'000'000), 59);
    EXPECT_EQ(SecondsFromNanoseconds(-1'500'000'000), -1);
    EXPECT_EQ(SecondsFromNanoseconds(std::numeric_limits<std::int64_t>::max()),
              std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(SecondsFromNanoseconds(std::numeric_limits<std::int64_t>::min()),
              std::numeric_limits<std::int32_t>::min());

    EXPECT_EQ(NanosecondsFromSeconds(7), 7'000'000'000);
    // No 32-bit overflow on the way to nanoseconds.
    EXPECT_EQ(NanosecondsFromSeconds(3 * 3600), 10'800'000'000'000);
    EXPECT_EQ(NanosecondsFromSeconds(std::numeric_limits<std::int32_t>::max()),
              std::int64_t{std::numeric_limits<std::int32_t>::max()} * 1'000'000'000);
}

TEST(VideoUnits, ClockTextHasUnboundedHours) {
    const struct {
        std::int32_t seconds;
        const char16_t* text;
    } cases[] = {
        {0, u"00:00:00"},
        {-5, u"00:00:00"},
        {std::numeric_limits<std::int32_t>::min(), u"00:00:00"},
        {1, u"00:00:01"},
        {59, u"00:00:59"},
        {60, u"00:01:00"},
        {3599, u"00:59:59"},
        {3600, u"01:00:00"},
        {3661, u"01:01:01"},
        {86399, u"23:59:59"},
        {86400, u"24:00:00"},
        {360000, u"100:00:00"},
        {std::numeric_limits<std::int32_t>::max(), u"596523:14:07"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ClockText(c.seconds), c.text) << c.seconds;
        EXPECT_EQ(vpSecondToLoalTime(c.seconds), c.text) << c.seconds;
    }
}

TEST(VideoUnits, VolumeRunsFromFullToSilentAndRefusesTheRest) {
    EXPECT_EQ(LinearFromAttenuation(0), 1.0);
    EXPECT_EQ(LinearFromAttenuation(-10000), 0.0);
    EXPECT_NEAR(*LinearFromAttenuation(-2000), 0.1, 1e-12);  // -20 dB
    EXPECT_NEAR(*LinearFromAttenuation(-600), std::pow(10.0, -0.3), 1e-12);
    EXPECT_GT(*LinearFromAttenuation(-9999), 0.0);
    for (std::int32_t refused : {1, 10000, std::numeric_limits<std::int32_t>::max(), -10001,
                                 std::numeric_limits<std::int32_t>::min()}) {
        EXPECT_FALSE(LinearFromAttenuation(refused).has_value()) << refused;
    }

    EXPECT_EQ(AttenuationFromLinear(1.0), 0);
    EXPECT_EQ(AttenuationFromLinear(2.0), 0);  // louder than full reads as full
    EXPECT_EQ(AttenuationFromLinear(0.0), -10000);
    EXPECT_EQ(AttenuationFromLinear(-1.0), -10000);
    EXPECT_EQ(AttenuationFromLinear(std::nan("")), -10000);
    EXPECT_EQ(AttenuationFromLinear(1e-9), -10000);  // quieter than -100 dB
    EXPECT_EQ(AttenuationFromLinear(0.5), -602);
    // Every accepted attenuation comes back as itself.
    for (std::int32_t hundredths = -10000; hundredths <= 0; hundredths += 37) {
        EXPECT_EQ(AttenuationFromLinear(*LinearFromAttenuation(hundredths)), hundredths);
    }
}

}  // namespace
