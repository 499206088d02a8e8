#include "MailDate.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace tolvane::signup {

LocalTime CurrentLocalTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    LocalTime time;
    time.year = local.tm_year + 1900;
    time.month = local.tm_mon + 1;
    time.day = local.tm_mday;
    time.weekday = local.tm_wday;
    time.hour = local.tm_hour;
    time.minute = local.tm_min;
    time.second = local.tm_sec;
    time.utcOffsetMinutes = static_cast<int>(local.tm_gmtoff / 60);
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
