// Packed DOS date-times in local time, the clock both archive formats store.
#include "platform/DosDateTime.h"

#include "platform/LocalTime.h"

#include <ctime>
#include <limits>

namespace tolvane::platform {

namespace {

constexpr int kFirstYear = 1980;
constexpr int kLastYear = 2107;
// 1980-01-01 00:00:00 and 2107-12-31 23:59:58, the ends of the DOS range.
constexpr uint32_t kEarliest = (0u << 25) | (1u << 21) | (1u << 16);
constexpr uint32_t kLatest =
    (127u << 25) | (12u << 21) | (31u << 16) | (23u << 11) | (59u << 5) | 29u;

uint32_t Pack(const std::tm& local) {
    const auto date = static_cast<uint32_t>(((local.tm_year + 1900 - kFirstYear) << 9) |
                                            ((local.tm_mon + 1) << 5) | local.tm_mday);
    // A leap second (60) would overflow the 5-bit field; it is folded into 58.
    const int second = local.tm_sec > 59 ? 59 : local.tm_sec;
    const auto time =
        static_cast<uint32_t>((local.tm_hour << 11) | (local.tm_min << 5) | (second / 2));
    return (date << 16) | time;
}

} // namespace

uint32_t ToDosDateTime(int64_t unixSeconds) {
    std::tm local{};
    if (!ToLocalTime(unixSeconds, local))
        return unixSeconds < 0 ? kEarliest : kLatest; // a year beyond what the system holds
    const int year = local.tm_year + 1900;
    if (year < kFirstYear)
        return kEarliest;
    if (year > kLastYear)
        return kLatest;
    return Pack(local);
}

uint32_t CurrentDosDateTime() {
    return ToDosDateTime(static_cast<int64_t>(std::time(nullptr)));
}

int64_t FromDosDateTime(uint32_t dosDateTime) {
    std::tm local{};
    if (dosDateTime == 0) {
        local.tm_year = kFirstYear - 1900;
        local.tm_mday = 1;
        local.tm_min = 1;
    } else {
        const uint32_t date = dosDateTime >> 16;
        const uint32_t time = dosDateTime & 0xFFFF;
        local.tm_year = static_cast<int>(date >> 9) + kFirstYear - 1900;
        local.tm_mon = static_cast<int>((date >> 5) & 0x0F) - 1;
        local.tm_mday = static_cast<int>(date & 0x1F);
        local.tm_hour = static_cast<int>(time >> 11);
        local.tm_min = static_cast<int>((time >> 5) & 0x3F);
        local.tm_sec = static_cast<int>(time & 0x1F) * 2;
    }
    // Let the zone rules decide whether daylight saving was in force.
    local.tm_isdst = -1;
    return static_cast<int64_t>(std::mktime(&local));
}

} // namespace tolvane::platform
