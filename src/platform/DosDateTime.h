// Conversion of file times to the packed DOS date-time both archive formats store.
#pragma once

#include <cstdint>

namespace tolvane::platform {

// Packs a time (seconds since 1970 UTC) as a DOS date-time in local time: date in
// the high 16 bits, time in the low 16 bits (2-second resolution). Times before
// 1980 give 1980-01-01 00:00:00; times after 2107 give 2107-12-31 23:59:58.
uint32_t ToDosDateTime(int64_t unixSeconds);

// The current local time in DOS form.
uint32_t CurrentDosDateTime();

// Seconds since 1970 UTC of a DOS date-time read as local time. A zero value
// counts as 1980-01-01 00:01.
int64_t FromDosDateTime(uint32_t dosDateTime);

} // namespace tolvane::platform
