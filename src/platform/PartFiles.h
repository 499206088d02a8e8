// The names of the files that are being written, before they take their own
// (".tolvane-PID-XXXXXXXXXXXXXXXX.part": the writing process's ID and 64
// random bits in hex), and the removal of those that a process left behind
// when it was killed.
#pragma once

#include "platform/FolderHandle.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tolvane::platform {

// A new part-file name of this process.
std::string NewPartFileName();

// The ID of the process that wrote the part file `name`; nullopt when `name`
// is not exactly of the form NewPartFileName() gives.
std::optional<int64_t> PartFileWriter(std::string_view name);

// Removes the part files in `folder` (not in folders inside it) whose writing
// process no longer exists. Only regular files of this user are touched: a
// link, a folder or another user's file of such a name is left alone, and so
// is the part file of a live process. @return the number removed.
int RemoveStalePartFiles(const FolderHandle& folder);

} // namespace tolvane::platform
