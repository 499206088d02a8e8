// Permission bits of files the writers create, so a new archive gets the
// permissions any new file of the user would get, and a replaced one keeps its
// own; and the modes of the files they pack.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tolvane::platform {

// 0666 less the process's umask.
uint32_t NewFileMode();
// Permission bits of an existing file (NewFileMode() when it cannot be read).
uint32_t FileModeOf(const std::string& path);
// Sets the permission bits; false on failure.
bool ApplyFileMode(const std::string& path, uint32_t mode);

// The mode an archive records for a file or folder, links followed: its type
// bits (regular file or folder) and permission bits, never setuid, setgid or
// sticky. nullopt for anything else, for a path that cannot be read, and on
// systems without such modes (archives then record DOS attributes alone).
std::optional<uint32_t> ArchiveModeOf(const std::string& path);

} // namespace tolvane::platform
