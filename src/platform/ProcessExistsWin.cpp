// Whether a process of a given ID is running, from its handle's exit code.
#include "platform/ProcessExists.h"

#include "platform/Win32Support.h"

namespace tolvane::platform {

bool ProcessExists(int64_t pid) {
    if (pid <= 0 || pid > 0xFFFFFFFFLL)
        return false;
    const win::Handle process(
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid)));
    if (!process.Valid())
        // Denied: it is there, but another user's (or a protected one).
        return GetLastError() == ERROR_ACCESS_DENIED;
    // A process that has ended keeps its ID while a handle to it is open.
    DWORD code = 0;
    return GetExitCodeProcess(process.Get(), &code) && code == STILL_ACTIVE;
}

int64_t CurrentProcessId() {
    return static_cast<int64_t>(GetCurrentProcessId());
}

} // namespace tolvane::platform
