// Windows folders have no permission bits: nothing to set, but a link in the
// folder's place is still refused.
#include "platform/FolderMode.h"

namespace tolvane::platform {

int SetFolderMode(const FolderHandle& parent, const std::string& name, uint32_t) {
    const FolderHandle folder = parent.Child(name, false);
    return folder.IsOpen() ? 0 : folder.Error();
}

} // namespace tolvane::platform
