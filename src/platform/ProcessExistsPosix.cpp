// Whether a process of a given ID is running.
#include "platform/ProcessExists.h"

#include <cerrno>
#include <csignal>
#include <limits>
#include <sys/types.h>
#include <unistd.h>

namespace tolvane::platform {

bool ProcessExists(int64_t pid) {
    if (pid <= 0 || pid > std::numeric_limits<pid_t>::max())
        return false;
    // Signal 0 checks only that the process is there; EPERM says it is, but
    // belongs to someone else.
    return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

int64_t CurrentProcessId() {
    return getpid();
}

} // namespace tolvane::platform
