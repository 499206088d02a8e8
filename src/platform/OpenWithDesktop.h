// Hands a downloaded file to the desktop to open, as a double click would.
#pragma once

#include "platform/Expected.h"

#include <string>

namespace tolvane::platform {

// Opens `path` with the program the desktop has for it; fails, naming `path`
// and why, when that cannot be done. On Linux: runs `xdg-open path` and waits
// for it (xdg-open takes no arguments for the file, so `parameters` are not
// passed on); on Windows: the shell's "open" with `parameters`.
Expected<void> OpenWithDesktop(const std::string& path, const std::string& parameters);

} // namespace tolvane::platform
