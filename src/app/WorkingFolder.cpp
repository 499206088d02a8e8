#include "WorkingFolder.h"

#include "platform/FileSystem.h"
#include "platform/TempFile.h"
#include "platform/XdgFolders.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane::app {

namespace {} // namespace

std::string PrepareWorkingFolder(std::string& error) {
    const std::string preferred = platform::XdgDataHome() + "/Tolvane/";
    if (platform::CreateFolderTree(preferred) && platform::DirectoryExists(preferred))
        return preferred;

    // A fixed name on a shared temporary folder: another user could have made
    // it first, or put a link there that the emptying would follow.
    const std::string fallback =
        platform::SystemTempFolder() + "tolvane-" + std::to_string(geteuid()) + "/";
    if (mkdir(fallback.c_str(), 0700) != 0 && errno != EEXIST) {
        error = "cannot create " + fallback + ": " + platform::ErrorText(errno);
        return "";
    }
    struct stat st {};
    if (lstat(fallback.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        error = fallback + " is not a folder (a link or a file); refusing to use it";
        return "";
    }
    if (st.st_uid != geteuid() || (st.st_mode & 077) != 0) {
        error = fallback + " belongs to another user or is open to others; refusing to use it";
        return "";
    }
    return fallback;
}

} // namespace tolvane::app
