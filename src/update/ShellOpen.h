// Hands a downloaded file to the desktop to open, as a double click would.
#pragma once

#include <string>

namespace tolvane::update {

// Runs `xdg-open path` and waits for it; true when it reported success, else
// false with the reason in `why`. xdg-open takes no arguments for the file,
// so `parameters` are not passed on.
bool OpenWithDesktop(const std::string& path, const std::string& parameters, std::string& why);

} // namespace tolvane::update
