#include "PrivateFolder.h"

#include "platform/FileSystem.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane::platform {

Expected<std::string> CreateUniqueFolder(const std::string& prefix) {
    std::string pattern = prefix + "XXXXXX";
    if (!mkdtemp(pattern.data()))
        return Unexpected{Failure(prefix, ErrorText(errno))};
    return pattern;
}

Expected<void> MakePrivateFolder(const std::string& path) {
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return Unexpected{Failure(path, "cannot create it: " + ErrorText(errno))};
    return CheckPrivateFolder(path);
}

Expected<void> CheckPrivateFolder(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return Unexpected{Failure(path, "not a folder (a link or a file); refusing to use it")};
    if (st.st_uid != geteuid() || (st.st_mode & 077) != 0)
        return Unexpected{
            Failure(path, "it belongs to another user or is open to others; refusing to use it")};
    return {};
}

std::string CurrentUserTag() {
    return std::to_string(geteuid());
}

} // namespace tolvane::platform
