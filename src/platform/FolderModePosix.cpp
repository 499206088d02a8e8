// The permission bits of a folder made while extracting an archive.
#include "platform/FolderMode.h"

#include <cerrno>
#include <sys/stat.h>

namespace tolvane::platform {

int SetFolderMode(const FolderHandle& parent, const std::string& name, uint32_t mode) {
    // Through the folder's own descriptor: fchmodat would follow a link that
    // took the name's place.
    const FolderHandle folder = parent.Child(name, false);
    if (!folder.IsOpen())
        return folder.Error();
    return fchmod(folder.Descriptor(), static_cast<mode_t>(mode & 0777)) == 0 ? 0 : errno;
}

} // namespace tolvane::platform
