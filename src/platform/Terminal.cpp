// The width a progress line is drawn to, the same on every system once the
// system has told what it knows of the window.
#include "platform/Terminal.h"

#include <cstdlib>

namespace tolvane::platform {

int TerminalColumns(int fd) {
    if (const std::optional<int> window = WindowColumns(fd))
        return *window;
    if (const char* columns = std::getenv("COLUMNS")) {
        const long value = std::strtol(columns, nullptr, 10);
        if (value > 0 && value < 10000)
            return static_cast<int>(value);
    }
    return 80;
}

} // namespace tolvane::platform
