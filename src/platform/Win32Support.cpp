// UTF-16 at the Windows calls, UTF-8 everywhere else, and errno values for
// the Windows error codes the callers test.
#include "platform/Win32Support.h"

#include <cerrno>
#include <cwctype>

namespace tolvane::platform::win {

std::wstring Widen(std::string_view utf8) {
    if (utf8.empty())
        return std::wstring();
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
    return wide;
}

std::string Narrow(std::wstring_view utf16) {
    if (utf16.empty())
        return std::string();
    const int size = static_cast<int>(utf16.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, narrow.data(), length, nullptr, nullptr);
    return narrow;
}

std::string ProgramPath(std::wstring_view osPath) {
    std::string path = Narrow(osPath);
    for (char& c : path) {
        if (c == '\\')
            c = '/';
    }
    return path;
}

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

std::wstring OsPath(std::string_view path) {
    std::wstring wide = Widen(path);
    for (wchar_t& c : wide) {
        if (c == L'/')
            c = L'\\';
    }
    // Keep the root of a drive ("C:\") and of the path ("\") whole.
    const size_t keep = wide.size() >= 3 && wide[1] == L':' ? 3 : 1;
    while (wide.size() > keep && wide.back() == L'\\')
        wide.pop_back();
    const bool drive =
        wide.size() >= 3 && std::iswalpha(wide[0]) && wide[1] == L':' && wide[2] == L'\\';
    const bool unc = wide.size() >= 2 && wide[0] == L'\\' && wide[1] == L'\\';
    const bool prefixed = wide.rfind(L"\\\\?\\", 0) == 0;
    // MAX_PATH counts the terminator, and CreateDirectoryW wants room for an 8.3 name.
    if (wide.size() >= MAX_PATH - 12 && !prefixed && (drive || unc)) {
        // The prefix turns off every normalisation: "." and ".." must go first.
        const DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
        if (length > 0) {
            std::wstring full(length, L'\0');
            const DWORD got = GetFullPathNameW(wide.c_str(), length, full.data(), nullptr);
            full.resize(got);
            wide = std::move(full);
        }
        wide = unc ? L"\\\\?\\UNC\\" + wide.substr(2) : L"\\\\?\\" + wide;
    }
    return wide;
}

int ErrnoFrom(DWORD windowsError) {
    switch (windowsError) {
    case ERROR_SUCCESS:
        return 0;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_BAD_PATHNAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_PRIVILEGE_NOT_HELD:
        return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_NOT_SAME_DEVICE:
        return EXDEV;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_DIR_NOT_EMPTY:
        return ENOTEMPTY;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_PARAMETER:
    case ERROR_NEGATIVE_SEEK:
        return EINVAL;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    case ERROR_TOO_MANY_OPEN_FILES:
        return EMFILE;
    case ERROR_INVALID_HANDLE:
        return EBADF;
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_FUNCTION:
        return EOPNOTSUPP;
    case ERROR_CANT_RESOLVE_FILENAME:
        return ELOOP;
    case ERROR_BROKEN_PIPE:
        return EPIPE;
    case ERROR_OPERATION_ABORTED:
        return ECANCELED;
    default:
        return kWindowsErrorBase + static_cast<int>(windowsError & 0xFFFF);
    }
}

std::string WindowsErrorText(DWORD windowsError) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, windowsError, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
        reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer ? buffer : L"", length);
    if (buffer)
        LocalFree(buffer);
    // The system's texts end in ".\r\n"; a report adds its own punctuation.
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    if (!text.empty() && text.back() == L'.')
        text.pop_back();
    if (text.empty())
        return "Windows error " + std::to_string(windowsError);
    // Texts written for an insert ("%1 is not a valid Win32 application")
    // get a word in its place: the report names the file already.
    for (size_t at = text.find(L"%1"); at != std::wstring::npos; at = text.find(L"%1", at))
        text.replace(at, 2, at == 0 ? L"The file" : L"the file");
    return Narrow(text);
}

namespace {
// 100 ns intervals between 1601-01-01 and 1970-01-01.
constexpr int64_t kEpochDifference = 116444736000000000LL;
} // namespace

int64_t UnixNanoseconds(const FILETIME& time) {
    const int64_t ticks = static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32) |
                                               time.dwLowDateTime);
    return (ticks - kEpochDifference) * 100;
}

int64_t UnixSeconds(const FILETIME& time) {
    const int64_t ticks = static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32) |
                                               time.dwLowDateTime) -
                          kEpochDifference;
    // Rounded towards the past, as st_mtim.tv_sec is.
    return ticks >= 0 ? ticks / 10000000 : -((-ticks + 9999999) / 10000000);
}

FILETIME FileTimeOf(int64_t unixSeconds) {
    const auto ticks = static_cast<uint64_t>(unixSeconds * 10000000 + kEpochDifference);
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFFu);
    time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return time;
}

} // namespace tolvane::platform::win
