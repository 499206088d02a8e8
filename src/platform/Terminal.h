// What the command line needs to know of the terminal it writes to.
#pragma once

namespace tolvane::platform {

// True when `fd` is a terminal (a progress line redraws in place only there).
bool IsTerminal(int fd);

// The terminal's width in columns: the window size of `fd`, else $COLUMNS,
// else 80.
int TerminalColumns(int fd);

} // namespace tolvane::platform
