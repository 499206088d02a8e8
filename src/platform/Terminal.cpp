// What the command line needs to know of the terminal it writes to.
#include "platform/Terminal.h"

#include <cstdlib>
#include <sys/ioctl.h>
#include <unistd.h>

namespace tolvane::platform {

bool IsTerminal(int fd) {
    return isatty(fd) != 0;
}

int TerminalColumns(int fd) {
    winsize size{};
    if (ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    if (const char* columns = std::getenv("COLUMNS")) {
        const long value = std::strtol(columns, nullptr, 10);
        if (value > 0 && value < 10000)
            return static_cast<int>(value);
    }
    return 80;
}

} // namespace tolvane::platform
