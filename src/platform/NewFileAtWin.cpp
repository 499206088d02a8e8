// A file made inside a FolderHandle on Windows: created new under its
// part-file name without following a reparse point, renamed into place once
// closed (with a short retry while a scanner holds the new file).
#include "platform/NewFileAt.h"

#include "platform/PartFiles.h"
#include "platform/Win32Support.h"

#include <cerrno>

namespace tolvane::platform {

namespace {

HANDLE AsHandle(int fd) {
    return LongToHandle(fd);
}

} // namespace

NewFileAt::NewFileAt(const FolderHandle& folder) : folder_(folder) {
    const std::wstring base = win::FolderPathOf(folder_.Descriptor());
    if (base.empty()) {
        error_ = EBADF;
        return;
    }
    for (int attempt = 0; attempt < 8 && fd_ < 0; ++attempt) {
        tempName_ = NewPartFileName();
        win::Handle handle(
            CreateFileW((base + win::Widen(tempName_)).c_str(),
                        GENERIC_WRITE | FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        error_ = handle.Valid() ? 0 : win::LastErrno();
        if (handle.Valid())
            fd_ = HandleToLong(handle.Release());
        else if (error_ != EEXIST)
            break;
    }
    created_ = fd_ >= 0;
}

NewFileAt::~NewFileAt() {
    if (fd_ >= 0)
        CloseHandle(AsHandle(fd_));
    if (created_ && !committed_) {
        const std::wstring temp = win::FolderPathOf(folder_.Descriptor()) + win::Widen(tempName_);
        win::RetryWhileShared([&] { return DeleteFileW(temp.c_str()); });
    }
}

bool NewFileAt::Write(const void* data, size_t length) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    while (length > 0) {
        DWORD written = 0;
        const DWORD want = static_cast<DWORD>(length < (1u << 30) ? length : (1u << 30));
        if (!WriteFile(AsHandle(fd_), bytes, want, &written, nullptr) || written == 0) {
            error_ = written == 0 && GetLastError() == ERROR_SUCCESS ? ENOSPC : win::LastErrno();
            return false;
        }
        bytes += written;
        length -= written;
    }
    return true;
}

int NewFileAt::Commit(const std::string& name, int64_t modifiedUnixSeconds, uint32_t mode,
                      bool replace) {
    const FILETIME time = win::FileTimeOf(modifiedUnixSeconds);
    if (!SetFileTime(AsHandle(fd_), nullptr, nullptr, &time))
        return error_ = win::LastErrno();
    const HANDLE handle = AsHandle(fd_);
    fd_ = -1;
    // Data that only fails to reach the disk on close is a failure too.
    if (!CloseHandle(handle))
        return error_ = win::LastErrno();
    if (name.empty() || name.find_first_of("/\\:") != std::string::npos)
        return error_ = EINVAL;
    const std::wstring base = win::FolderPathOf(folder_.Descriptor());
    const std::wstring temp = base + win::Widen(tempName_);
    const std::wstring target = base + win::Widen(name);
    // MoveFileExW replaces a link in the name's place, never its target.
    const DWORD flags = replace ? MOVEFILE_REPLACE_EXISTING : 0;
    if (!win::RetryWhileShared([&] { return MoveFileExW(temp.c_str(), target.c_str(), flags); }))
        return error_ = win::LastErrno();
    committed_ = true;
    if ((mode & 0200u) == 0)
        SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY);
    return 0;
}

} // namespace tolvane::platform
