// The "Monetize..." entry of the file managers' folder menus, in place of a
// verb under HKEY_CLASSES_ROOT: a desktop entry and the Dolphin, Nautilus and
// Nemo forms, each starting the program on the chosen folder.
#pragma once

#include <string>

namespace tolvane::app {

// `command` is the program's path followed by " %1" (the folder); `classKey`
// "Directory" means folders. Writes (overwriting) under $XDG_DATA_HOME;
// failures are ignored, as a menu entry is a convenience.
void RegisterShellVerb(const std::string& classKey, const std::string& verbKey,
                       const std::string& caption, const std::string& command);

} // namespace tolvane::app
