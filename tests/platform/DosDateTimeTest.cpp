// DOS date-time packing in fixed time zones, its clamps and its inverse.
#include "platform/DosDateTime.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace tolvane::platform {
namespace {

// Sets TZ for one test and puts the previous value back afterwards.
class ZoneGuard {
public:
    explicit ZoneGuard(const char* zone) {
        if (const char* old = std::getenv("TZ"))
            saved_ = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneGuard() {
        if (saved_)
            setenv("TZ", saved_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    ZoneGuard(const ZoneGuard&) = delete;
    ZoneGuard& operator=(const ZoneGuard&) = delete;

private:
    std::optional<std::string> saved_;
};

constexpr uint32_t Dos(int year, int month, int day, int hour, int minute, int second) {
    return (static_cast<uint32_t>(((year - 1980) << 9) | (month << 5) | day) << 16) |
           static_cast<uint32_t>((hour << 11) | (minute << 5) | (second / 2));
}

TEST(DosDateTimeTest, KnownValuesInUtc) {
    ZoneGuard zone("UTC0");
    // 2009-02-13 23:31:30 UTC.
    EXPECT_EQ(ToDosDateTime(1234567890), 0x3A4DBBEFu);
    EXPECT_EQ(ToDosDateTime(1234567890), Dos(2009, 2, 13, 23, 31, 30));
    // Odd seconds round down to the 2-second step.
    EXPECT_EQ(ToDosDateTime(1234567891), Dos(2009, 2, 13, 23, 31, 30));
    EXPECT_EQ(ToDosDateTime(315532800), Dos(1980, 1, 1, 0, 0, 0));
    EXPECT_EQ(ToDosDateTime(951782400), Dos(2000, 2, 29, 0, 0, 0));
}

TEST(DosDateTimeTest, UsesLocalTime) {
    {
        ZoneGuard zone("CET-1"); // UTC+1, no daylight saving
        EXPECT_EQ(ToDosDateTime(1234567890), Dos(2009, 2, 14, 0, 31, 30));
    }
    {
        ZoneGuard zone("EST5"); // UTC-5
        EXPECT_EQ(ToDosDateTime(1234567890), Dos(2009, 2, 13, 18, 31, 30));
    }
}

TEST(DosDateTimeTest, ClampsToTheDosRange) {
    ZoneGuard zone("UTC0");
    const uint32_t earliest = Dos(1980, 1, 1, 0, 0, 0);
    const uint32_t latest = Dos(2107, 12, 31, 23, 59, 58);
    EXPECT_EQ(earliest, 0x00210000u);
    EXPECT_EQ(latest, 0xFF9FBF7Du);
    EXPECT_EQ(ToDosDateTime(0), earliest);
    EXPECT_EQ(ToDosDateTime(315532799), earliest); // 1979-12-31 23:59:59
    EXPECT_EQ(ToDosDateTime(-86400LL * 365 * 100), earliest);
    EXPECT_EQ(ToDosDateTime(INT64_MIN), earliest);
    EXPECT_EQ(ToDosDateTime(4354819199), latest); // 2107-12-31 23:59:59
    EXPECT_EQ(ToDosDateTime(4354819198), latest);
    EXPECT_EQ(ToDosDateTime(4354819197), Dos(2107, 12, 31, 23, 59, 56));
    EXPECT_EQ(ToDosDateTime(4354819200), latest); // 2108-01-01
    EXPECT_EQ(ToDosDateTime(INT64_MAX), latest);
}

TEST(DosDateTimeTest, ClampsByLocalTime) {
    ZoneGuard zone("CET-1");
    // 1979-12-31 23:30 UTC is already 1980-01-01 00:30 in UTC+1.
    EXPECT_EQ(ToDosDateTime(315532800 - 1800), Dos(1980, 1, 1, 0, 30, 0));
    // 1979-12-31 22:59:59 UTC is 23:59:59 local: still before 1980.
    EXPECT_EQ(ToDosDateTime(315532800 - 3601), Dos(1980, 1, 1, 0, 0, 0));
}

TEST(DosDateTimeTest, FromDosDateTimeInvertsToDosDateTime) {
    ZoneGuard zone("EST5EDT,M3.2.0,M11.1.0");
    for (int64_t t : {315550800LL, 1234567890LL, 1246406400LL, 1700000000LL, 4354837198LL}) {
        const int64_t even = t - (t % 2);
        EXPECT_EQ(FromDosDateTime(ToDosDateTime(t)), even) << t;
    }
    // 2009-07-01 00:00 EDT (UTC-4) is 04:00 UTC.
    EXPECT_EQ(FromDosDateTime(Dos(2009, 7, 1, 0, 0, 0)), 1246420800);
    // 2009-01-01 00:00 EST (UTC-5) is 05:00 UTC.
    EXPECT_EQ(FromDosDateTime(Dos(2009, 1, 1, 0, 0, 0)), 1230786000);
}

TEST(DosDateTimeTest, ZeroMeansOneMinutePastNewYear1980) {
    {
        ZoneGuard zone("UTC0");
        EXPECT_EQ(FromDosDateTime(0), 315532860);
    }
    {
        ZoneGuard zone("CET-1");
        EXPECT_EQ(FromDosDateTime(0), 315532860 - 3600);
    }
}

TEST(DosDateTimeTest, CurrentIsNow) {
    ZoneGuard zone("UTC0");
    const int64_t before = static_cast<int64_t>(std::time(nullptr));
    const uint32_t now = CurrentDosDateTime();
    const int64_t after = static_cast<int64_t>(std::time(nullptr));
    const int64_t decoded = FromDosDateTime(now);
    EXPECT_GE(decoded, before - 2);
    EXPECT_LE(decoded, after);
}

} // namespace
} // namespace tolvane::platform
