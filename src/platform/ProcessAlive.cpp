// Whether a process still exists.
#include "platform/ProcessAlive.h"

#include <cerrno>
#include <csignal>

namespace tolvane::platform {

bool ProcessExists(int pid) {
    // Signal 0 is only checked, never sent; EPERM means someone else's process.
    return pid > 0 && (kill(pid, 0) == 0 || errno == EPERM);
}

} // namespace tolvane::platform
