// Ctrl-C, Ctrl-Break and a closed console window turned into a stop request.
// Windows calls the console handler on a thread of its own, so the request
// may run the token's hook right there.
#include "StopSignals.h"

#include "platform/Win32Support.h"

#include <csignal>
#include <mutex>
#include <stdexcept>

namespace tolvane::platform {

namespace {

// The POSIX numbers the callers know, for the exit status 128 + N: Ctrl-C
// and Ctrl-Break as SIGINT, a closed console as SIGHUP, log-off and
// shut-down as SIGTERM.
constexpr int kHangUp = 1;

int SignalNumberOf(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        return SIGINT;
    case CTRL_CLOSE_EVENT:
        return kHangUp;
    default:
        return SIGTERM;
    }
}

// The console handler is a plain function the system calls with the event
// alone: the watch it stops is found here, the one process-wide place.
struct ActiveWatch {
    std::mutex mutex;
    CancelToken* token = nullptr;
    std::atomic<int>* number = nullptr;
    HANDLE done = nullptr;
};

ActiveWatch& Active() {
    static ActiveWatch active;
    return active;
}

BOOL WINAPI OnConsoleEvent(DWORD event) {
    HANDLE done = nullptr;
    {
        ActiveWatch& active = Active();
        const std::lock_guard lock(active.mutex);
        if (!active.token)
            return FALSE;
        int none = 0;
        active.number->compare_exchange_strong(none, SignalNumberOf(event));
        active.token->Request();
        done = active.done;
    }
    // After a close, log-off or shut-down the system ends the process once
    // the handler returns: give the work a few seconds to stop first.
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        WaitForSingleObject(done, 4000);
    return TRUE;
}

} // namespace

struct StopSignals::Watch {
    win::Handle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

StopSignals::StopSignals() : watch_(std::make_unique<Watch>()) {
    {
        ActiveWatch& active = Active();
        const std::lock_guard lock(active.mutex);
        active.token = &token_;
        active.number = &number_;
        active.done = watch_->done.Get();
    }
    if (!SetConsoleCtrlHandler(OnConsoleEvent, TRUE))
        throw std::runtime_error("cannot watch the console's stop events: " +
                                 win::WindowsErrorText(GetLastError()));
}

StopSignals::~StopSignals() {
    SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    {
        ActiveWatch& active = Active();
        const std::lock_guard lock(active.mutex);
        if (active.token == &token_) {
            active.token = nullptr;
            active.number = nullptr;
            active.done = nullptr;
        }
    }
    SetEvent(watch_->done.Get());
}

} // namespace tolvane::platform
