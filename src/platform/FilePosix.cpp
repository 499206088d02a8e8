// The file handle of the platform layer: a POSIX descriptor that closes
// itself, with the errno of the last failure kept for the caller's report.
#include "platform/File.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tolvane::platform {

namespace {

int OpenFlags(File::Mode mode) {
    switch (mode) {
    case File::Mode::Read:
        return O_RDONLY;
    case File::Mode::ReadWrite:
        return O_RDWR;
    case File::Mode::CreateTruncate:
        return O_RDWR | O_CREAT | O_TRUNC;
    }
    return O_RDONLY;
}

int Whence(File::Origin origin) {
    switch (origin) {
    case File::Origin::Begin:
        return SEEK_SET;
    case File::Origin::Current:
        return SEEK_CUR;
    case File::Origin::End:
        return SEEK_END;
    }
    return SEEK_SET;
}

} // namespace

File::File(const std::string& path, Mode mode) {
    // Opening a named pipe for reading would wait for a writer; O_NONBLOCK
    // lets the open return, and is taken off again for the reads.
    const int nonBlocking = mode == Mode::Read ? O_NONBLOCK : 0;
    do {
        fd_ = open(path.c_str(), OpenFlags(mode) | O_CLOEXEC | O_NOCTTY | nonBlocking, 0666);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) {
        lastError_ = errno;
        return;
    }
    if (nonBlocking != 0)
        fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
}

int64_t File::Read(void* buffer, size_t count) {
    auto* out = static_cast<char*>(buffer);
    size_t done = 0;
    while (done < count) {
        const ssize_t got = read(fd_, out + done, count - done);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            lastError_ = errno;
            return -1;
        }
        if (got == 0)
            break;
        done += static_cast<size_t>(got);
    }
    return static_cast<int64_t>(done);
}

int64_t File::Write(const void* buffer, size_t count) {
    const auto* in = static_cast<const char*>(buffer);
    size_t done = 0;
    while (done < count) {
        const ssize_t put = write(fd_, in + done, count - done);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            lastError_ = errno;
            break;
        }
        if (put == 0) {
            // No progress and no errno: the device took nothing, treat it as full.
            lastError_ = ENOSPC;
            break;
        }
        done += static_cast<size_t>(put);
    }
    return static_cast<int64_t>(done);
}

int64_t File::Seek(int64_t offset, Origin origin) {
    const off_t position = lseek(fd_, static_cast<off_t>(offset), Whence(origin));
    if (position < 0) {
        lastError_ = errno;
        return -1;
    }
    return static_cast<int64_t>(position);
}

int64_t File::Size() {
    struct stat info {};
    if (fstat(fd_, &info) != 0) {
        lastError_ = errno;
        return -1;
    }
    return static_cast<int64_t>(info.st_size);
}

bool File::Truncate(int64_t size) {
    int rc;
    do {
        rc = ftruncate(fd_, static_cast<off_t>(size));
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        lastError_ = errno;
        return false;
    }
    return true;
}

bool File::Status(FileStatus& status) {
    struct stat info {};
    if (fstat(fd_, &info) != 0) {
        lastError_ = errno;
        return false;
    }
    status.size = static_cast<int64_t>(info.st_size);
    status.modifiedNs = static_cast<int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 +
                        static_cast<int64_t>(info.st_mtim.tv_nsec);
    status.regular = S_ISREG(info.st_mode);
    return true;
}

bool File::Close() {
    if (fd_ < 0)
        return true;
    // The descriptor is gone after close() whatever it returns, so never retry.
    const int rc = close(std::exchange(fd_, -1));
    if (rc != 0) {
        lastError_ = errno;
        return false;
    }
    return true;
}

} // namespace tolvane::platform
