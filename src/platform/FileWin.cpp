// The file handle of the platform layer on Windows: a C runtime descriptor
// over a CreateFileW handle that shares reading, writing and deletion, so
// that a file being read can be renamed over, as on POSIX.
#include "platform/File.h"

#include "platform/Win32Support.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <utility>

namespace tolvane::platform {

namespace {

HANDLE OsHandle(int fd) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

// ReadFile and WriteFile take at most 4 GiB less one at a time.
constexpr size_t kMaxChunk = 1u << 30;

} // namespace

File::File(const std::string& path, Mode mode) {
    const DWORD access = mode == Mode::Read ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
    // OPEN_ALWAYS and a truncation, not CREATE_ALWAYS, which refuses hidden files.
    const DWORD disposition = mode == Mode::CreateTruncate ? OPEN_ALWAYS : OPEN_EXISTING;
    win::Handle handle(CreateFileW(win::OsPath(path).c_str(), access, win::kShareAll, nullptr,
                                   disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle.Valid()) {
        lastError_ = path.empty() ? ENOENT : win::LastErrno();
        // A folder opened as a file says "access denied"; say what it is.
        const DWORD attributes = GetFileAttributesW(win::OsPath(path).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            lastError_ = EISDIR;
        return;
    }
    if (mode == Mode::CreateTruncate && !SetEndOfFile(handle.Get())) {
        lastError_ = win::LastErrno();
        return;
    }
    const int flags = (mode == Mode::Read ? _O_RDONLY : _O_RDWR) | _O_BINARY;
    fd_ = _open_osfhandle(reinterpret_cast<intptr_t>(handle.Get()), flags);
    if (fd_ < 0)
        lastError_ = EMFILE;
    else
        handle.Release();
}

int64_t File::Read(void* buffer, size_t count) {
    auto* out = static_cast<char*>(buffer);
    size_t done = 0;
    while (done < count) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min(count - done, kMaxChunk));
        if (!ReadFile(OsHandle(fd_), out + done, want, &got, nullptr)) {
            const DWORD error = GetLastError();
            // The writer of a pipe has gone: that is its end.
            if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF)
                break;
            lastError_ = win::ErrnoFrom(error);
            return -1;
        }
        if (got == 0)
            break;
        done += got;
    }
    return static_cast<int64_t>(done);
}

int64_t File::Write(const void* buffer, size_t count) {
    const auto* in = static_cast<const char*>(buffer);
    size_t done = 0;
    while (done < count) {
        DWORD put = 0;
        const DWORD want = static_cast<DWORD>(std::min(count - done, kMaxChunk));
        if (!WriteFile(OsHandle(fd_), in + done, want, &put, nullptr)) {
            const DWORD error = GetLastError();
            // A handle opened for reading alone, as write() on one says.
            lastError_ = error == ERROR_ACCESS_DENIED ? EBADF : win::ErrnoFrom(error);
            break;
        }
        if (put == 0) {
            lastError_ = ENOSPC;
            break;
        }
        done += put;
    }
    return static_cast<int64_t>(done);
}

int64_t File::Seek(int64_t offset, Origin origin) {
    const DWORD method = origin == Origin::Begin     ? FILE_BEGIN
                         : origin == Origin::Current ? FILE_CURRENT
                                                     : FILE_END;
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER position;
    if (!SetFilePointerEx(OsHandle(fd_), distance, &position, method)) {
        lastError_ = win::LastErrno();
        return -1;
    }
    return position.QuadPart;
}

int64_t File::Size() {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(OsHandle(fd_), &size)) {
        lastError_ = win::LastErrno();
        return -1;
    }
    return size.QuadPart;
}

bool File::Truncate(int64_t size) {
    // SetEndOfFile cuts at the position; the position stays where it was, as
    // with ftruncate.
    const int64_t position = Seek(0, Origin::Current);
    if (position < 0 || Seek(size, Origin::Begin) < 0)
        return false;
    const bool cut = SetEndOfFile(OsHandle(fd_)) != 0;
    if (!cut)
        lastError_ = win::LastErrno();
    Seek(position, Origin::Begin);
    return cut;
}

bool File::Status(FileStatus& status) {
    BY_HANDLE_FILE_INFORMATION info;
    const HANDLE handle = OsHandle(fd_);
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        status = FileStatus{};
        return true;
    }
    if (!GetFileInformationByHandle(handle, &info)) {
        lastError_ = win::LastErrno();
        return false;
    }
    status.size =
        static_cast<int64_t>((static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    status.modifiedNs = win::UnixNanoseconds(info.ftLastWriteTime);
    status.regular = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    return true;
}

bool File::Close() {
    if (fd_ < 0)
        return true;
    if (_close(std::exchange(fd_, -1)) != 0) {
        lastError_ = errno;
        return false;
    }
    return true;
}

} // namespace tolvane::platform
