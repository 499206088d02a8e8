#include "platform/LocalTime.h"

#include <limits>

namespace tolvane::platform {

bool ToLocalTime(int64_t unixSeconds, std::tm& local, int* utcOffsetMinutes) {
    if (unixSeconds < std::numeric_limits<time_t>::min() ||
        unixSeconds > std::numeric_limits<time_t>::max())
        return false;
    const auto t = static_cast<time_t>(unixSeconds);
    if (!localtime_r(&t, &local))
        return false;
    if (utcOffsetMinutes)
        *utcOffsetMinutes = static_cast<int>(local.tm_gmtoff / 60);
    return true;
}

} // namespace tolvane::platform
