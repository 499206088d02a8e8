// Moving files to the freedesktop Trash, in place of the Windows recycle bin.
#pragma once

#include <string>

namespace tolvane::platform {

// Moves `path` into the home trash ($XDG_DATA_HOME/Trash, default
// ~/.local/share/Trash) with a .trashinfo record. A file that cannot be moved
// there (another file system, no permission) is left where it is. Returns true
// on success; otherwise `error` says why.
bool MoveToTrash(const std::string& path, std::string& error);

} // namespace tolvane::platform
