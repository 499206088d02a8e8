// O_TMPFILE where the file system has it, a process-stamped name elsewhere;
// the content reaches its target through link-and-rename or rename.
#include "platform/PendingFile.h"

#include "platform/FileMode.h"
#include "platform/FileSystem.h"
#include "platform/TempFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane::platform {

namespace {

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind(kPathSeparator);
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string FdPath(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

void SyncFolderOf(const std::string& path) {
    const int fd = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

} // namespace

PendingFile::PendingFile(const std::string& folder, const std::string& prefix) : prefix_(prefix) {
    int fd = -1;
    do {
        fd = open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0) {
        file_ = File(fd);
        return;
    }
    // Only a file system without unnamed files sends us to a named one;
    // any other failure (no folder, no room, no access) is the answer.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
        error_ = errno;
        return;
    }
    CreateNamed(folder);
}

std::string PendingFile::Path() const {
    return Named() ? name_ : FdPath(file_.Descriptor());
}

int PendingFile::CommitTo(const std::string& target, uint32_t mode, bool durable) {
    if (durable && fsync(file_.Descriptor()) != 0)
        return errno;
    const int error = Commit(target, mode);
    if (error == 0 && durable)
        SyncFolderOf(target);
    return error;
}

int PendingFile::Commit(const std::string& target, uint32_t mode) {
    if (Named()) {
        if (!file_.Close())
            return file_.LastError();
        ApplyFileMode(name_, mode);
        const int error = RenameFile(name_, target);
        if (error == 0)
            committed_ = true;
        return error;
    }
    if (fchmod(file_.Descriptor(), static_cast<mode_t>(mode)) != 0)
        return errno;
    // A name beside the target first: link() never replaces a file, rename() does.
    for (;;) {
        int error = 0;
        const std::string sibling = UniqueName(FolderOf(target), prefix_);
        if (linkat(AT_FDCWD, FdPath(file_.Descriptor()).c_str(), AT_FDCWD, sibling.c_str(),
                   AT_SYMLINK_FOLLOW) != 0) {
            error = errno;
            if (error == EEXIST)
                continue;
            return error;
        }
        error = RenameFile(sibling, target);
        if (error != 0) {
            RemoveFile(sibling);
            return error;
        }
        committed_ = true;
        if (!file_.Close())
            return file_.LastError();
        return 0;
    }
}

} // namespace tolvane::platform
