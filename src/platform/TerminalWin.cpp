// The console the command line writes to: a descriptor is a terminal when
// its handle is a console's, and the password prompt turns the console
// input's echo off.
#include "platform/Terminal.h"

#include "platform/Win32Support.h"

#include <io.h>

namespace tolvane::platform {

namespace {

HANDLE ConsoleOf(int fd) {
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) ? handle : nullptr;
}

} // namespace

bool IsTerminal(int fd) {
    return ConsoleOf(fd) != nullptr;
}

std::optional<int> WindowColumns(int fd) {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (const HANDLE console = ConsoleOf(fd); console && GetConsoleScreenBufferInfo(console, &info))
        return info.srWindow.Right - info.srWindow.Left + 1;
    return std::nullopt;
}

struct EchoOff::Saved {
    HANDLE console = nullptr;
    DWORD mode = 0;
};

EchoOff::EchoOff(int fd) : fd_(fd) {
    auto saved = std::make_unique<Saved>();
    saved->console = ConsoleOf(fd);
    if (!saved->console || !GetConsoleMode(saved->console, &saved->mode))
        return;
    if (SetConsoleMode(saved->console, saved->mode & ~ENABLE_ECHO_INPUT))
        saved_ = std::move(saved);
}

EchoOff::~EchoOff() {
    if (saved_)
        SetConsoleMode(saved_->console, saved_->mode);
}

} // namespace tolvane::platform
