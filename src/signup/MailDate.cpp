#include "MailDate.h"

#include "platform/LocalTime.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace tolvane::signup {

LocalTime CurrentLocalTime() {
    std::tm local{};
    int offset = 0;
    platform::ToLocalTime(static_cast<int64_t>(std::time(nullptr)), local, &offset);
    LocalTime time;
    time.year = local.tm_year + 1900;
    time.month = local.tm_mon + 1;
    time.day = local.tm_mday;
    time.weekday = local.tm_wday;
    time.hour = local.tm_hour;
    time.minute = local.tm_min;
    time.second = local.tm_sec;
    time.utcOffsetMinutes = offset;
    return time;
}

std::string FormatMailDate(const LocalTime& time) {
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const int offset = std::abs(time.utcOffsetMinutes);
    char text[64];
    std::snprintf(text, sizeof text, "%s, %d %s %d %02d:%02d:%02d %c%02d%02d",
                  kDays[((time.weekday % 7) + 7) % 7], time.day,
                  kMonths[((time.month - 1) % 12 + 12) % 12], time.year, time.hour, time.minute,
                  time.second, time.utcOffsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60);
    return text;
}

} // namespace tolvane::signup
