// The program's working folder, where each job makes its BH archive and shortcut.
#pragma once

#include <string>
#include <vector>

namespace tolvane::app {

// $XDG_DATA_HOME/Tolvane/ (default ~/.local/share/Tolvane/), created when
// missing. When that cannot be made: a per-user folder in the system's
// temporary folder, mode 0700, refused when it is a link or another user's.
// Returns the folder with a trailing "/", or "" with the reason in `error`.
std::string PrepareWorkingFolder(std::string& error);

// Those of the two folders PrepareWorkingFolder may give that exist now (the
// temporary one only when it passes the same checks), none created.
std::vector<std::string> ExistingWorkingFolders();

} // namespace tolvane::app
