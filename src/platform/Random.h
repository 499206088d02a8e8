// Unpredictable bytes from the operating system.
#pragma once

#include <cstddef>

namespace tolvane::platform {

// Fills `buffer`; throws std::runtime_error when the system has none to give.
void RandomBytes(void* buffer, size_t count);

} // namespace tolvane::platform
