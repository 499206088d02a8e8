// File identities from GetFileInformationByHandle: the volume serial number
// and the file index.
#include "platform/FileIdentity.h"

#include "platform/File.h"
#include "platform/Win32Support.h"

#include <io.h>

namespace tolvane::platform {

namespace {

std::optional<FileIdentity> IdentityOf(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle, &info))
        return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber,
                        (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

} // namespace

std::optional<FileIdentity> QueryFileIdentity(const std::string& path) {
    if (path.empty())
        return std::nullopt;
    // No access asked for: the query needs none, and no sharing is refused.
    const win::Handle handle(CreateFileW(win::OsPath(path).c_str(), 0, win::kShareAll, nullptr,
                                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle.Valid())
        return std::nullopt;
    return IdentityOf(handle.Get());
}

std::optional<FileIdentity> QueryFileIdentity(const File& file) {
    if (!file.IsOpen())
        return std::nullopt;
    return IdentityOf(reinterpret_cast<HANDLE>(_get_osfhandle(file.Descriptor())));
}

} // namespace tolvane::platform
