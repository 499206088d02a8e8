#include "FileLock.h"

#include "platform/FileSystem.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tolvane::platform {

Expected<FileLock> FileLock::Acquire(const std::string& path) {
    const int fd = open(path.c_str(), O_CREAT | O_RDWR | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return Unexpected{Failure(path, ErrorText(errno))};
    while (flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            const int error = errno;
            close(fd);
            return Unexpected{Failure(path, ErrorText(error))};
        }
    }
    return FileLock(fd);
}

std::optional<FileLock> FileLock::TryExisting(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return FileLock(kNone);
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return std::nullopt;
    }
    return FileLock(fd);
}

void FileLock::Release() {
    if (handle_ != kNone)
        close(static_cast<int>(handle_));
    handle_ = kNone;
}

} // namespace tolvane::platform
