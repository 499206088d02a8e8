// The local time of a moment, broken down, and the zone's offset from UTC
// then: localtime_r on POSIX, localtime_s on Windows.
#pragma once

#include <cstdint>
#include <ctime>

namespace tolvane::platform {

// `local` filled for `unixSeconds` and, when given, `utcOffsetMinutes`
// (east positive); false for a moment the system cannot represent.
bool ToLocalTime(int64_t unixSeconds, std::tm& local, int* utcOffsetMinutes = nullptr);

} // namespace tolvane::platform
