// A file made inside a FolderHandle that only takes its name once it is complete.
#include "platform/NewFileAt.h"

#include "platform/PartFiles.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane::platform {

NewFileAt::NewFileAt(const FolderHandle& folder) : folder_(folder) {
    for (int attempt = 0; attempt < 8 && fd_ < 0; ++attempt) {
        tempName_ = NewPartFileName();
        fd_ = openat(folder_.Descriptor(), tempName_.c_str(),
                     O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        error_ = fd_ < 0 ? errno : 0;
        if (fd_ < 0 && error_ != EEXIST)
            break;
    }
    created_ = fd_ >= 0;
}

NewFileAt::~NewFileAt() {
    if (fd_ >= 0)
        close(fd_);
    if (created_ && !committed_)
        unlinkat(folder_.Descriptor(), tempName_.c_str(), 0);
}

bool NewFileAt::Write(const void* data, size_t length) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    while (length > 0) {
        const ssize_t written = write(fd_, bytes, length);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            error_ = written < 0 ? errno : ENOSPC;
            return false;
        }
        bytes += written;
        length -= static_cast<size_t>(written);
    }
    return true;
}

int NewFileAt::Commit(const std::string& name, int64_t modifiedUnixSeconds, uint32_t mode,
                      bool replace) {
    const timespec times[2] = {{0, UTIME_NOW}, {static_cast<time_t>(modifiedUnixSeconds), 0}};
    if (fchmod(fd_, static_cast<mode_t>(mode & 0777)) != 0 || futimens(fd_, times) != 0)
        return error_ = errno;
    // Written data that only fails on close (a full disk over NFS) is a failure too.
    const int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0)
        return error_ = errno;
    const int dir = folder_.Descriptor();
    int result = 0;
    if (replace) {
        result = renameat(dir, tempName_.c_str(), dir, name.c_str());
    } else {
        result = renameat2(dir, tempName_.c_str(), dir, name.c_str(), RENAME_NOREPLACE);
        // A file system without RENAME_NOREPLACE: a hard link never replaces either.
        if (result != 0 && errno == EINVAL) {
            result = linkat(dir, tempName_.c_str(), dir, name.c_str(), 0);
            if (result == 0)
                unlinkat(dir, tempName_.c_str(), 0);
        }
    }
    if (result != 0)
        return error_ = errno;
    committed_ = true;
    return 0;
}

} // namespace tolvane::platform
