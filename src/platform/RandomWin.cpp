#include "platform/Random.h"

#include "platform/Win32Support.h"

#include <bcrypt.h>
#include <cstdint>
#include <stdexcept>

namespace tolvane::platform {

void RandomBytes(void* buffer, size_t count) {
    auto* out = static_cast<uint8_t*>(buffer);
    while (count > 0) {
        const ULONG now = static_cast<ULONG>(count < 0x40000000u ? count : 0x40000000u);
        if (BCryptGenRandom(nullptr, out, now, BCRYPT_USE_SYSTEM_PREFERRED_RNG) != 0)
            throw std::runtime_error("the system gives no random bytes");
        out += now;
        count -= now;
    }
}

} // namespace tolvane::platform
