// Recursive emptying of a folder, used at start-up and after every job.
#pragma once

#include <string>

namespace tolvane::app {

// Deletes every entry of `folder` (and the folder itself when `removeFolder`).
// `resetAttributes` gives each entry write access first; `stopOnFailure` ends
// at the first failure without removing `folder`. A symbolic link is removed
// as a link, never what it points to. False when `folder` is not an existing
// folder or something could not be removed.
bool DeleteTree(const std::string& folder, bool resetAttributes, bool stopOnFailure,
                bool removeFolder);

} // namespace tolvane::app
