// Windows has no permission bits: the owner's write bit stands for the
// read-only attribute, and archives record the DOS attributes alone.
#include "platform/FileMode.h"

#include "platform/Win32Support.h"

namespace tolvane::platform {

uint32_t NewFileMode() {
    return 0666u;
}

uint32_t FileModeOf(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(win::OsPath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return NewFileMode();
    return (attributes & FILE_ATTRIBUTE_READONLY) ? 0444u : 0666u;
}

bool ApplyFileMode(const std::string& path, uint32_t mode) {
    const std::wstring osPath = win::OsPath(path);
    const DWORD attributes = GetFileAttributesW(osPath.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    const DWORD wanted = (mode & 0200u) ? attributes & ~FILE_ATTRIBUTE_READONLY
                                        : attributes | FILE_ATTRIBUTE_READONLY;
    return wanted == attributes || SetFileAttributesW(osPath.c_str(), wanted) != 0;
}

std::optional<uint32_t> ArchiveModeOf(const std::string&) {
    return std::nullopt;
}

} // namespace tolvane::platform
