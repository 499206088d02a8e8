#include "platform/Random.h"

#include <cerrno>
#include <cstdint>
#include <stdexcept>
#include <sys/random.h>

namespace tolvane::platform {

void RandomBytes(void* buffer, size_t count) {
    auto* out = static_cast<uint8_t*>(buffer);
    size_t done = 0;
    while (done < count) {
        const ssize_t n = getrandom(out + done, count - done, 0);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw std::runtime_error("the system gives no random bytes");
        }
        done += static_cast<size_t>(n);
    }
}

} // namespace tolvane::platform
