// What the command line needs to know of the terminal it writes to.
#include "platform/Terminal.h"

#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace tolvane::platform {

bool IsTerminal(int fd) {
    return isatty(fd) != 0;
}

std::optional<int> WindowColumns(int fd) {
    winsize size{};
    if (ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return std::nullopt;
}

struct EchoOff::Saved {
    termios settings{};
};

EchoOff::EchoOff(int fd) : fd_(fd) {
    auto saved = std::make_unique<Saved>();
    if (tcgetattr(fd, &saved->settings) != 0)
        return;
    termios quiet = saved->settings;
    // The line end is not echoed either (ECHONL): the caller ends the line.
    quiet.c_lflag &= static_cast<tcflag_t>(~(ECHO | ECHOE | ECHOK | ECHONL));
    if (tcsetattr(fd, TCSAFLUSH, &quiet) == 0)
        saved_ = std::move(saved);
}

EchoOff::~EchoOff() {
    if (saved_)
        tcsetattr(fd_, TCSAFLUSH, &saved_->settings);
}

} // namespace tolvane::platform
