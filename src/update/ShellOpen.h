// Hands a downloaded file to the desktop to open, as a double click would.
#pragma once

#include "platform/Expected.h"

#include <string>

namespace tolvane::update {

// Runs `xdg-open path` and waits for it; fails, naming `path` and why, when
// xdg-open cannot run or reports a failure. xdg-open takes no arguments for
// the file, so `parameters` are not passed on.
platform::Expected<void> OpenWithDesktop(const std::string& path, const std::string& parameters);

} // namespace tolvane::update
