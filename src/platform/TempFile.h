// Unique temporary files and the system's temporary folder.
#pragma once

#include <string>

namespace tolvane::platform {

// The system's temporary folder ($TMPDIR, else /tmp) with a trailing separator.
std::string SystemTempFolder();

// Creates an empty file with a unique name in `folder` (like GetTempFileName)
// and returns its path; empty on failure, with the errno value in `error`. The
// name, `prefix`-PID-START-XXXXXX.tmp, tells the process that made it (its id
// and start time), so that RemoveStaleTempFiles can tell a left-over file from
// one still in use.
std::string CreateUniqueFile(const std::string& folder, const std::string& prefix, int& error);

// A name of the same form in `folder` that is not created (the caller creates
// it exclusively, retrying on EEXIST).
std::string UniqueName(const std::string& folder, const std::string& prefix);

// Removes the files of `folder` that CreateUniqueFile named with `prefix` for a
// process that no longer runs (a killed run's leftovers). Files of running
// processes and of other users are left alone.
void RemoveStaleTempFiles(const std::string& folder, const std::string& prefix);

} // namespace tolvane::platform
