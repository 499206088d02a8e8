// Whether a process of a given ID is running, for telling the leftovers of a
// process that died from the files of one still at work.
#pragma once

#include <cstdint>

namespace tolvane::platform {

// True while a process of ID `pid` exists, whoever owns it (one that we may
// not signal exists too). False for an ID no process has, and for 0 and
// negative IDs, which name groups of processes rather than one.
bool ProcessExists(int64_t pid);

// This process's ID.
int64_t CurrentProcessId();

} // namespace tolvane::platform
