// The find and attribute calls of Windows behind the same listing shape the
// POSIX build gives: the real attribute bits, reparse points told apart as
// links, and names in NTFS order, UTF-8 in the program and UTF-16 at the calls.
#include "platform/FileSystem.h"
#include "platform/NameMatch.h"

#include "platform/Random.h"
#include "platform/Win32Support.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>

namespace tolvane::platform {

namespace {

// The attribute bits a listing passes on; the rest (compressed, sparse,
// offline...) say nothing the archives record.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY |
                                  FILE_ATTRIBUTE_ARCHIVE;

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

// Closes a find handle on every path out of a listing.
class FindHandle {
public:
    explicit FindHandle(HANDLE handle) : handle_(handle) {}
    ~FindHandle() {
        if (handle_ != INVALID_HANDLE_VALUE)
            FindClose(handle_);
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;

    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

bool IsLinkTag(DWORD tag) {
    return tag == IO_REPARSE_TAG_SYMLINK || tag == IO_REPARSE_TAG_MOUNT_POINT;
}

// What a link leads to, following it: the attributes and size of its
// target, or false when it leads nowhere.
bool FollowLink(const std::wstring& osPath, DWORD& attributes, uint64_t& size, int64_t& time) {
    const win::Handle target(CreateFileW(osPath.c_str(), 0, win::kShareAll, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!target.Valid() || !GetFileInformationByHandle(target.Get(), &info))
        return false;
    attributes = info.dwFileAttributes;
    size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    time = win::UnixSeconds(info.ftLastWriteTime);
    return true;
}

enum class LinkPolicy {
    ListFolderLinks, // listings: a link to a folder could loop or leave the tree
    FollowAll,       // a path named explicitly by the caller
};

// The entry of `name` from its own attributes (a reparse point's tag in
// `tag`), following a link through `osPath`.
DirEntry Describe(std::string name, DWORD attributes, DWORD tag, uint64_t size, int64_t time,
                  const std::wstring& osPath, LinkPolicy policy) {
    DirEntry entry;
    entry.name = std::move(name);
    entry.lastWriteTime = time;
    const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsLinkTag(tag);
    if (link) {
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && policy == LinkPolicy::ListFolderLinks) {
            entry.attributes = attributes & kKeptAttributes & ~FILE_ATTRIBUTE_DIRECTORY;
            entry.kind = EntryKind::FolderLink;
            return entry;
        }
        if (!FollowLink(osPath, attributes, size, entry.lastWriteTime)) {
            entry.attributes = attributes & kKeptAttributes & ~FILE_ATTRIBUTE_DIRECTORY;
            entry.kind = GetLastError() == ERROR_CANT_RESOLVE_FILENAME ? EntryKind::LinkLoop
                                                                       : EntryKind::DanglingLink;
            return entry;
        }
    }
    entry.attributes = attributes & kKeptAttributes;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        entry.kind = EntryKind::Folder;
    } else if (attributes & FILE_ATTRIBUTE_DEVICE) {
        entry.kind = EntryKind::Device;
    } else {
        entry.kind = EntryKind::File;
        entry.size = size;
    }
    return entry;
}

std::wstring Joined(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty())
        return name;
    return IsSeparator(static_cast<char>(folder.back())) ? folder + name : folder + L"\\" + name;
}

size_t LastSeparator(const std::string& path) {
    const size_t at = path.find_last_of("/\\");
    return at;
}

std::string LastComponent(std::string path) {
    while (path.size() > 1 && IsSeparator(path.back()))
        path.pop_back();
    const size_t slash = LastSeparator(path);
    if (slash == std::string::npos || path.size() == 1)
        return path;
    return path.substr(slash + 1);
}

// The length of the root of `path`: "C:\" or "C:" (3 or 2), "\\server\share\"
// of a UNC path, "\" (1), or 0 for a relative path.
size_t RootLength(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':')
        return path.size() >= 3 && IsSeparator(path[2]) ? 3 : 2;
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        size_t at = path.find_first_of("/\\", 2);
        at = at == std::string::npos ? path.size() : path.find_first_of("/\\", at + 1);
        return at == std::string::npos ? path.size() : at + 1;
    }
    return !path.empty() && IsSeparator(path[0]) ? 1 : 0;
}

std::string ParentOf(const std::string& path) {
    std::string trimmed = path;
    const size_t root = RootLength(trimmed);
    while (trimmed.size() > std::max<size_t>(root, 1) && IsSeparator(trimmed.back()))
        trimmed.pop_back();
    if (trimmed.size() <= root)
        return std::string();
    const size_t slash = LastSeparator(trimmed);
    if (slash == std::string::npos || slash < root)
        return root > 0 ? trimmed.substr(0, root) : (trimmed == "." ? std::string() : ".");
    return trimmed.substr(0, std::max(slash, root));
}

} // namespace

std::optional<std::vector<DirEntry>> ListDirectory(const std::string& folder, int* error) {
    const std::wstring osFolder = win::OsPath(folder.empty() ? std::string(".") : folder);
    WIN32_FIND_DATAW found;
    const FindHandle find(FindFirstFileExW(Joined(osFolder, L"*").c_str(), FindExInfoBasic, &found,
                                           FindExSearchNameMatch, nullptr,
                                           FIND_FIRST_EX_LARGE_FETCH));
    if (find.Get() == INVALID_HANDLE_VALUE) {
        // A file where a folder was named says "path not found" or "invalid name".
        if (error) {
            const DWORD attributes = GetFileAttributesW(osFolder.c_str());
            *error = attributes != INVALID_FILE_ATTRIBUTES &&
                             (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0
                         ? ENOTDIR
                         : win::LastErrno();
        }
        return std::nullopt;
    }
    std::vector<DirEntry> entries;
    do {
        const std::wstring_view name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        const uint64_t size =
            (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        entries.push_back(Describe(win::Narrow(name), found.dwFileAttributes, found.dwReserved0,
                                   size, win::UnixSeconds(found.ftLastWriteTime),
                                   Joined(osFolder, std::wstring(name)),
                                   LinkPolicy::ListFolderLinks));
    } while (FindNextFileW(find.Get(), &found));
    if (GetLastError() != ERROR_NO_MORE_FILES) {
        if (error)
            *error = win::LastErrno();
        return std::nullopt;
    }
    std::sort(entries.begin(), entries.end(),
              [](const DirEntry& a, const DirEntry& b) { return NtfsLess(a.name, b.name); });
    return entries;
}

size_t FolderPartLength(const std::string& pattern) {
    const size_t slash = LastSeparator(pattern);
    if (slash != std::string::npos)
        return slash + 1;
    return pattern.size() >= 2 && pattern[1] == ':' ? 2 : 0;
}

std::optional<DirEntry> QueryPath(const std::string& path) {
    if (path.empty())
        return std::nullopt;
    const std::wstring osPath = win::OsPath(path);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(osPath.c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    DWORD tag = 0;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        // The attribute query does not carry the tag; a find of the name does.
        WIN32_FIND_DATAW found;
        const FindHandle find(FindFirstFileExW(osPath.c_str(), FindExInfoBasic, &found,
                                               FindExSearchNameMatch, nullptr, 0));
        if (find.Get() != INVALID_HANDLE_VALUE)
            tag = found.dwReserved0;
    }
    const uint64_t size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return Describe(LastComponent(path), data.dwFileAttributes, tag, size,
                    win::UnixSeconds(data.ftLastWriteTime), osPath, LinkPolicy::FollowAll);
}

bool DirectoryExists(const std::string& path) {
    if (path.empty())
        return false;
    const DWORD attributes = GetFileAttributesW(win::OsPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool PathExists(const std::string& path) {
    return !path.empty() &&
           GetFileAttributesW(win::OsPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CreateFolderTree(const std::string& path) {
    if (path.empty())
        return false;
    if (DirectoryExists(path))
        return true;
    // Each prefix that ends before a separator past the root, then the whole path.
    const size_t root = RootLength(path);
    for (size_t pos = path.find_first_of("/\\", std::max<size_t>(root, 1));
         pos != std::string::npos; pos = path.find_first_of("/\\", pos + 1)) {
        const std::string prefix = path.substr(0, pos);
        if (!CreateDirectoryW(win::OsPath(prefix).c_str(), nullptr) &&
            GetLastError() != ERROR_ALREADY_EXISTS && !DirectoryExists(prefix)) {
            errno = win::LastErrno();
            return false;
        }
    }
    if (!CreateDirectoryW(win::OsPath(path).c_str(), nullptr) &&
        GetLastError() != ERROR_ALREADY_EXISTS) {
        errno = win::LastErrno();
        return false;
    }
    return DirectoryExists(path);
}

int RemoveFile(const std::string& path) {
    const std::wstring osPath = win::OsPath(path);
    const DWORD attributes = GetFileAttributesW(osPath.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return EISDIR;
    // unlink() removes a read-only file; DeleteFileW wants the bit off first.
    const bool readOnly =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    if (readOnly)
        SetFileAttributesW(osPath.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (win::RetryWhileShared([&] { return DeleteFileW(osPath.c_str()); }))
        return 0;
    const int error = win::LastErrno();
    if (readOnly)
        SetFileAttributesW(osPath.c_str(), attributes);
    return error;
}

namespace {

// A rename with POSIX semantics (Windows 10 1709 and later): the target's
// name is replaced even while a reader holds it open, as rename() does.
// False when the system or the file system cannot, or the rename failed.
bool PosixRename(const std::wstring& source, const std::wstring& target) {
    const DWORD length = GetFullPathNameW(target.c_str(), 0, nullptr, nullptr);
    if (length == 0)
        return false;
    std::wstring full(length, L'\0');
    full.resize(GetFullPathNameW(target.c_str(), length, full.data(), nullptr));
    const win::Handle file(
        CreateFileW(source.c_str(), DELETE | SYNCHRONIZE, win::kShareAll, nullptr, OPEN_EXISTING,
                    FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.Valid())
        return false;
    const size_t nameBytes = full.size() * sizeof(wchar_t);
    std::string buffer(sizeof(FILE_RENAME_INFO) + nameBytes, '\0');
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->Flags = FILE_RENAME_FLAG_REPLACE_IF_EXISTS | FILE_RENAME_FLAG_POSIX_SEMANTICS;
    info->FileNameLength = static_cast<DWORD>(nameBytes);
    std::copy(full.begin(), full.end(), info->FileName);
    // FileRenameInfoEx, which older headers do not name.
    constexpr auto kRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);
    return SetFileInformationByHandle(file.Get(), kRenameInfoEx, info,
                                      static_cast<DWORD>(buffer.size())) != 0;
}

} // namespace

// The replace of a file that a reader holds open (sharing deletion) where
// POSIX semantics are missing: the old file moves aside under a name of its
// own first, the new one takes the name, and the old one is removed (or,
// while still open, goes once its reader closes it).
bool ReplaceAside(const std::wstring& source, const std::wstring& target) {
    uint8_t random[8];
    RandomBytes(random, sizeof random);
    std::wstring aside = target + L".tolvane-old-" + std::to_wstring(GetCurrentProcessId()) + L"-";
    for (const uint8_t byte : random)
        aside += L"0123456789abcdef"[byte & 0x0F];
    if (!MoveFileExW(target.c_str(), aside.c_str(), 0))
        return false;
    if (!MoveFileExW(source.c_str(), target.c_str(), 0)) {
        const DWORD error = GetLastError();
        MoveFileExW(aside.c_str(), target.c_str(), 0);
        SetLastError(error);
        return false;
    }
    // A read-only file is replaced as on POSIX; DeleteFileW wants the bit off.
    SetFileAttributesW(aside.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(aside.c_str());
    return true;
}

int RenameFile(const std::string& from, const std::string& to) {
    const std::wstring source = win::OsPath(from);
    const std::wstring target = win::OsPath(to);
    if (PosixRename(source, target))
        return 0;
    const auto replace = [&] {
        return MoveFileExW(source.c_str(), target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ||
               (GetLastError() == ERROR_ACCESS_DENIED && ReplaceAside(source, target));
    };
    if (win::RetryWhileShared(replace))
        return 0;
    return win::LastErrno();
}

int LinkFile(const std::string& from, const std::string& to) {
    return CreateHardLinkW(win::OsPath(to).c_str(), win::OsPath(from).c_str(), nullptr)
               ? 0
               : win::LastErrno();
}

int SetLastWriteTime(const std::string& path, int64_t seconds) {
    const win::Handle handle(CreateFileW(win::OsPath(path).c_str(), FILE_WRITE_ATTRIBUTES,
                                         win::kShareAll, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle.Valid())
        return win::LastErrno();
    const FILETIME time = win::FileTimeOf(seconds);
    return SetFileTime(handle.Get(), nullptr, nullptr, &time) ? 0 : win::LastErrno();
}

int SetAttributes(const std::string& path, uint32_t attributes) {
    const std::wstring osPath = win::OsPath(path);
    const DWORD current = GetFileAttributesW(osPath.c_str());
    if (current == INVALID_FILE_ATTRIBUTES)
        return win::LastErrno();
    constexpr DWORD kSettable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
    DWORD wanted = (current & ~kSettable) | (attributes & kSettable);
    wanted &= ~(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT);
    if ((wanted | (current & FILE_ATTRIBUTE_DIRECTORY)) ==
        (current & ~FILE_ATTRIBUTE_REPARSE_POINT))
        return 0;
    return SetFileAttributesW(osPath.c_str(), wanted == 0 ? FILE_ATTRIBUTE_NORMAL : wanted)
               ? 0
               : win::LastErrno();
}

bool QueryVolume(const std::string& path) {
    std::string current = path.empty() ? std::string(".") : path;
    while (!current.empty()) {
        const std::wstring osPath = win::OsPath(current);
        if (GetFileAttributesW(osPath.c_str()) != INVALID_FILE_ATTRIBUTES) {
            wchar_t volume[MAX_PATH + 1];
            return GetVolumePathNameW(osPath.c_str(), volume, MAX_PATH + 1) != 0;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            return false;
        current = ParentOf(current);
    }
    return false;
}

std::string CurrentFolder() {
    const DWORD length = GetCurrentDirectoryW(0, nullptr);
    std::wstring buffer(length, L'\0');
    const DWORD got = GetCurrentDirectoryW(length, buffer.data());
    if (got == 0 || got >= length)
        return std::string();
    buffer.resize(got);
    std::string folder = win::ProgramPath(buffer);
    if (folder.empty() || folder.back() != kPathSeparator)
        folder.push_back(kPathSeparator);
    return folder;
}

std::string ErrorText(int errorNumber) {
    if (errorNumber >= win::kWindowsErrorBase)
        return win::WindowsErrorText(static_cast<DWORD>(errorNumber - win::kWindowsErrorBase));
    // The C runtime knows the classic errno texts; the POSIX additions it
    // numbers but does not name are named here.
    switch (errorNumber) {
    case ELOOP:
        return "Too many levels of symbolic links";
    case EOPNOTSUPP:
        return "Operation not supported";
    case ECANCELED:
        return "Operation canceled";
    case ETIMEDOUT:
        return "Connection timed out";
    default:
        break;
    }
    const char* text = std::strerror(errorNumber);
    if (!text || !*text || std::strncmp(text, "Unknown error", 13) == 0)
        return "Unknown error " + std::to_string(errorNumber);
    return text;
}

} // namespace tolvane::platform
