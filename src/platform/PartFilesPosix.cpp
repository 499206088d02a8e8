// The names of files being written, and the removal of those a killed process left.
#include "platform/PartFiles.h"

#include "platform/ProcessExists.h"

#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tolvane::platform {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

} // namespace

int RemoveStalePartFiles(const FolderHandle& folder) {
    // The listing reads through a descriptor of its own, so that the
    // folder's stays as it was.
    const int listed = openat(folder.Descriptor(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listed < 0)
        return 0;
    const std::unique_ptr<DIR, DirCloser> dir(fdopendir(listed));
    if (!dir) {
        close(listed);
        return 0;
    }
    std::vector<std::string> stale;
    while (const dirent* entry = readdir(dir.get())) {
        const auto writer = PartFileWriter(entry->d_name);
        if (!writer || ProcessExists(*writer))
            continue;
        struct stat status {};
        if (fstatat(folder.Descriptor(), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(status.st_mode) || status.st_uid != geteuid())
            continue;
        stale.emplace_back(entry->d_name);
    }
    int removed = 0;
    for (const std::string& name : stale)
        removed += unlinkat(folder.Descriptor(), name.c_str(), 0) == 0 ? 1 : 0;
    return removed;
}

} // namespace tolvane::platform
