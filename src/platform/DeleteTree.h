// Recursive emptying of a folder, used at start-up and after every job.
#pragma once

#include <string>

namespace tolvane::platform {

// Deletes every entry of `folder` (and the folder itself when `removeFolder`),
// in the order the folder lists them. `resetAttributes` gives the owner write
// access to each entry first, so read-only entries go too. Each entry's outcome
// replaces the running result; `stopOnFailure` ends at the first failure
// without removing `folder`. A symbolic link is removed as a link, never what
// it points to, and `folder` itself must not be a link.
// @return false when `folder` is not an existing folder, when the last entry
// handled could not be removed, or when `folder` could not be removed.
bool DeleteTree(const std::string& folder, bool resetAttributes, bool stopOnFailure,
                bool removeFolder);

} // namespace tolvane::platform
