// The "Date" header value, from a local time that tests can fix.
#pragma once

#include <functional>
#include <string>

namespace tolvane::signup {

struct LocalTime {
    int year = 1970;
    int month = 1;   // 1 to 12
    int day = 1;     // 1 to 31
    int weekday = 4; // 0 Sunday to 6 Saturday
    int hour = 0;
    int minute = 0;
    int second = 0;
    int utcOffsetMinutes = 0; // local time minus UTC
};

// Where the message takes "now" from.
using LocalClock = std::function<LocalTime()>;

// The system's current local time and UTC offset.
LocalTime CurrentLocalTime();

// "Sun, 5 Jan 2025 09:03:07 +0100": day of month without a leading zero,
// English names, 24-hour clock, sign and four digits of offset.
std::string FormatMailDate(const LocalTime& time);

} // namespace tolvane::signup
