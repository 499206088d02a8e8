// The lock of a file on Windows: an exclusive byte-range lock (LockFileEx)
// on its first byte, which the system drops with the handle, also when the
// process is killed.
#include "FileLock.h"

#include "platform/FileSystem.h"
#include "platform/Win32Support.h"

namespace tolvane::platform {

namespace {

HANDLE AsHandle(intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

bool Lock(HANDLE handle, bool wait) {
    OVERLAPPED at{};
    const DWORD flags = LOCKFILE_EXCLUSIVE_LOCK | (wait ? 0 : LOCKFILE_FAIL_IMMEDIATELY);
    return LockFileEx(handle, flags, 0, 1, 0, &at) != 0;
}

// Opened as itself where a reparse point stands, and refused then, as
// O_NOFOLLOW refuses a link.
win::Handle OpenLockFile(const std::string& path, DWORD disposition) {
    win::Handle handle(CreateFileW(win::OsPath(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                   win::kShareAll, nullptr, disposition,
                                   FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (handle.Valid() && GetFileInformationByHandle(handle.Get(), &info) &&
        (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        handle.Reset();
        SetLastError(ERROR_CANT_RESOLVE_FILENAME);
    }
    return handle;
}

} // namespace

Expected<FileLock> FileLock::Acquire(const std::string& path) {
    win::Handle handle = OpenLockFile(path, OPEN_ALWAYS);
    if (!handle.Valid())
        return Unexpected{Failure(path, ErrorText(win::LastErrno()))};
    if (!Lock(handle.Get(), true))
        return Unexpected{Failure(path, ErrorText(win::LastErrno()))};
    return FileLock(reinterpret_cast<intptr_t>(handle.Release()));
}

std::optional<FileLock> FileLock::TryExisting(const std::string& path) {
    win::Handle handle = OpenLockFile(path, OPEN_EXISTING);
    if (!handle.Valid())
        return FileLock(kNone);
    if (!Lock(handle.Get(), false))
        return std::nullopt;
    return FileLock(reinterpret_cast<intptr_t>(handle.Release()));
}

void FileLock::Release() {
    // Closing the handle drops its locks.
    if (handle_ != kNone)
        CloseHandle(AsHandle(handle_));
    handle_ = kNone;
}

} // namespace tolvane::platform
