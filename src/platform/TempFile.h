// Unique temporary files and the system's temporary folder.
#pragma once

#include <string>

namespace tolvane::platform {

// The system's temporary folder ($TMPDIR, else /tmp) with a trailing separator.
std::string SystemTempFolder();

// Creates an empty file with a unique name that starts with `prefix` in
// `folder` (like GetTempFileName), and returns its path; empty on failure, with
// the errno value in `error`.
std::string CreateUniqueFile(const std::string& folder, const std::string& prefix, int& error);

} // namespace tolvane::platform
