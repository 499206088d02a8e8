// Whether a process still exists, for leftovers that carry the id of the
// process that made them.
#pragma once

namespace tolvane::platform {

// True while a process with id `pid` exists (also one of another user, and a
// zombie not yet reaped); false for an id <= 0.
bool ProcessExists(int pid);

} // namespace tolvane::platform
