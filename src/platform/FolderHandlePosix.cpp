// An open folder that files and folders are made in by name, never by path.
#include "platform/FolderHandle.h"

#include "platform/FileSystem.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tolvane::platform {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

} // namespace

FolderHandle FolderHandle::OpenFolder(const std::string& path) {
    const int fd = open(path.c_str(), kFolderFlags);
    if (fd < 0)
        return Failed(errno);
    return FolderHandle(fd);
}

void FolderHandle::Close() {
    if (fd_ >= 0)
        close(std::exchange(fd_, -1));
}

FolderHandle FolderHandle::Child(const std::string& name, bool create) const {
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
        return Failed(EINVAL);
    if (create && mkdirat(fd_, name.c_str(), 0777) != 0 && errno != EEXIST)
        return Failed(errno);
    // O_NOFOLLOW: a link in the name's place fails instead of leading
    // somewhere else.
    const int fd = openat(fd_, name.c_str(), kFolderFlags | O_NOFOLLOW);
    if (fd < 0) {
        // With O_DIRECTORY a link fails as "not a folder"; say what it is.
        const int error = errno;
        return Failed(error == ENOTDIR && TypeOf(name) == EntryType::Link ? ELOOP : error);
    }
    return FolderHandle(fd);
}

FolderHandle::EntryType FolderHandle::TypeOf(const std::string& name) const {
    struct stat status {};
    if (fstatat(fd_, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return EntryType::None;
    if (S_ISREG(status.st_mode))
        return EntryType::File;
    if (S_ISDIR(status.st_mode))
        return EntryType::Folder;
    if (S_ISLNK(status.st_mode))
        return EntryType::Link;
    return EntryType::Other;
}

int FolderHandle::SetFolderTime(const std::string& name, int64_t unixSeconds) const {
    const timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(unixSeconds), 0}};
    return utimensat(fd_, name.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : errno;
}

} // namespace tolvane::platform
