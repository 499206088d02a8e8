// Folders of this user alone: the job folders made under a unique name, and
// the working folder's fallback on a temporary folder that other users share,
// where a folder of the same name may have been put first by someone else.
#pragma once

#include "platform/Expected.h"

#include <string>

namespace tolvane::platform {

// Makes a new folder named `prefix` followed by six random characters, open
// to this user only, and gives its path (no trailing separator).
Expected<std::string> CreateUniqueFolder(const std::string& prefix);

// Makes the folder `path` (one level) open to this user only, unless it
// exists; then checks it as CheckPrivateFolder does.
Expected<void> MakePrivateFolder(const std::string& path);

// Fails, with the reason as the cause, when `path` is not a folder (a link
// or a file) or belongs to another user or is open to others.
Expected<void> CheckPrivateFolder(const std::string& path);

// A short tag of the user this process runs as, for per-user names in shared
// folders: the user's number here, the account's security ID on Windows.
std::string CurrentUserTag();

} // namespace tolvane::platform
