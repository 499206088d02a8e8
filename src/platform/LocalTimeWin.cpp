#include "platform/LocalTime.h"

#include <limits>

namespace tolvane::platform {

bool ToLocalTime(int64_t unixSeconds, std::tm& local, int* utcOffsetMinutes) {
    if (unixSeconds < 0 || unixSeconds > std::numeric_limits<time_t>::max())
        return false;
    const auto t = static_cast<time_t>(unixSeconds);
    if (localtime_s(&local, &t) != 0)
        return false;
    if (utcOffsetMinutes) {
        // The local fields read as UTC, less the moment itself: the offset.
        std::tm asUtc = local;
        *utcOffsetMinutes = static_cast<int>((_mkgmtime(&asUtc) - t) / 60);
    }
    return true;
}

} // namespace tolvane::platform
