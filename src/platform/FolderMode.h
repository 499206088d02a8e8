// The permission bits of a folder made while extracting an archive.
#pragma once

#include "platform/FolderHandle.h"

#include <cstdint>
#include <string>

namespace tolvane::platform {

// Gives the folder `name` in `parent` the permission bits `mode` & 0777 (the
// set-user-ID, set-group-ID and sticky bits are never set). A link in the
// folder's place is refused (ELOOP), never followed. 0 or the errno value.
int SetFolderMode(const FolderHandle& parent, const std::string& name, uint32_t mode);

} // namespace tolvane::platform
