// Tells a file that is no archive at all from a damaged one, so that `list`
// and `test` do not call a text file a damaged archive.
#pragma once

#include <string>

namespace tolvane::cli {

// True when `path` can be read, is not empty, and does not begin as a BH
// archive (42 48 05 07) nor as a ZIP archive (a local header or the end
// record of an empty one) begins. An empty or unreadable file is left to the
// readers, which report it.
bool IsNoArchive(const std::string& path);

} // namespace tolvane::cli
