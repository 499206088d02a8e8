// Permission bits of files the writers create, so a new archive gets the
// permissions any new file of the user would get, and a replaced one keeps its own.
#pragma once

#include <cstdint>
#include <string>

namespace tolvane::platform {

// 0666 less the process's umask.
uint32_t NewFileMode();
// Permission bits of an existing file (NewFileMode() when it cannot be read).
uint32_t FileModeOf(const std::string& path);
// Sets the permission bits; false on failure.
bool ApplyFileMode(const std::string& path, uint32_t mode);

} // namespace tolvane::platform
