// An open folder on Windows: a handle opened with backup semantics that
// shares no deletion, so that the folder cannot be renamed, removed or
// replaced by a link while it is held, and names made in it are made under
// the path the handle itself resolves to. Reparse points in a name's place
// are opened as themselves and refused, never followed.
#include "platform/FolderHandle.h"

#include "platform/FileSystem.h"
#include "platform/Win32Support.h"

#include <cerrno>
#include <utility>

namespace tolvane::platform {

namespace {

HANDLE AsHandle(int fd) {
    return LongToHandle(fd);
}

constexpr DWORD kFolderAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES;
// Reading and writing inside stay open to everyone; deletion (and so a
// rename of the folder) is refused while the handle lives.
constexpr DWORD kFolderShare = FILE_SHARE_READ | FILE_SHARE_WRITE;

bool IsBadName(const std::string& name) {
    return name.empty() || name == "." || name == ".." ||
           name.find_first_of("/\\:") != std::string::npos;
}

} // namespace

namespace win {

// The full path of an open folder, "\\?\" form, with a trailing separator.
std::wstring FolderPathOf(int descriptor) {
    const HANDLE handle = AsHandle(descriptor);
    const DWORD length = GetFinalPathNameByHandleW(handle, nullptr, 0, FILE_NAME_NORMALIZED);
    if (length == 0)
        return std::wstring();
    std::wstring path(length, L'\0');
    const DWORD got = GetFinalPathNameByHandleW(handle, path.data(), length, FILE_NAME_NORMALIZED);
    path.resize(got);
    if (path.empty() || path.back() != L'\\')
        path.push_back(L'\\');
    return path;
}

} // namespace win

FolderHandle FolderHandle::OpenFolder(const std::string& path) {
    win::Handle handle(CreateFileW(win::OsPath(path).c_str(), kFolderAccess, kFolderShare, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle.Valid())
        return Failed(win::LastErrno());
    return FolderHandle(HandleToLong(handle.Release()));
}

void FolderHandle::Close() {
    if (fd_ >= 0)
        CloseHandle(AsHandle(std::exchange(fd_, -1)));
}

FolderHandle FolderHandle::Child(const std::string& name, bool create) const {
    if (IsBadName(name))
        return Failed(EINVAL);
    const std::wstring path = win::FolderPathOf(fd_) + win::Widen(name);
    if (create && !CreateDirectoryW(path.c_str(), nullptr) &&
        GetLastError() != ERROR_ALREADY_EXISTS)
        return Failed(win::LastErrno());
    win::Handle handle(
        CreateFileW(path.c_str(), kFolderAccess, kFolderShare, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!handle.Valid())
        return Failed(win::LastErrno());
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle.Get(), &info))
        return Failed(win::LastErrno());
    if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return Failed(ELOOP);
    if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return Failed(ENOTDIR);
    return FolderHandle(HandleToLong(handle.Release()));
}

FolderHandle::EntryType FolderHandle::TypeOf(const std::string& name) const {
    if (IsBadName(name))
        return EntryType::None;
    WIN32_FILE_ATTRIBUTE_DATA data;
    const std::wstring path = win::FolderPathOf(fd_) + win::Widen(name);
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return EntryType::None;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return EntryType::Link;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return EntryType::Folder;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE)
        return EntryType::Other;
    return EntryType::File;
}

int FolderHandle::SetFolderTime(const std::string& name, int64_t unixSeconds) const {
    if (IsBadName(name))
        return EINVAL;
    const std::wstring path = win::FolderPathOf(fd_) + win::Widen(name);
    const win::Handle handle(
        CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, win::kShareAll, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!handle.Valid())
        return win::LastErrno();
    const FILETIME time = win::FileTimeOf(unixSeconds);
    return SetFileTime(handle.Get(), nullptr, nullptr, &time) ? 0 : win::LastErrno();
}

} // namespace tolvane::platform
