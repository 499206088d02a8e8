// What the Windows implementations of the platform layer share: UTF-8 and
// UTF-16 conversions, the path form the wide calls take, Windows error codes
// as the errno values the headers promise, handles that close themselves and
// file times. Only compiled on Windows; never included by a header.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace tolvane::platform::win {

// UTF-8 to UTF-16 and back; invalid input is replaced (U+FFFD), as file
// names that cannot be converted have no other form anyway.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// The form of a UTF-8 path that CreateFileW and the like take: "/" turned
// into "\", trailing separators gone (never "C:\" itself), and the "\\?\"
// prefix on an absolute path too long for MAX_PATH. Empty stays empty.
std::wstring OsPath(std::string_view path);
// A path the system gave, in the program's form: UTF-8 with "/" between
// the names, as every path the program makes itself.
std::string ProgramPath(std::wstring_view osPath);
// True for "\" and "/".
bool IsSeparator(wchar_t c);

// Error codes beyond the errno range carry a Windows error code with no errno
// counterpart: ErrorText gives its FormatMessageW text.
inline constexpr int kWindowsErrorBase = 0x10000;
int ErrnoFrom(DWORD windowsError);
inline int LastErrno() {
    return ErrnoFrom(GetLastError());
}
std::string WindowsErrorText(DWORD windowsError);

// Seconds since 1970 UTC and the FILETIME (100 ns since 1601) of the same moment.
int64_t UnixSeconds(const FILETIME& time);
int64_t UnixNanoseconds(const FILETIME& time);
FILETIME FileTimeOf(int64_t unixSeconds);

// The full path of a FolderHandle's folder ("\\?\" form, with a trailing
// separator), which its names are made under; empty when it cannot be told.
std::wstring FolderPathOf(int folderDescriptor);

// A kernel handle that closes itself.
class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() { Reset(); }
    Handle(Handle&& other) noexcept : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            Reset();
            handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
        }
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE Get() const { return handle_; }
    HANDLE Release() { return std::exchange(handle_, INVALID_HANDLE_VALUE); }
    void Reset() {
        if (Valid())
            CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// Every open shares reading, writing and deletion, so that a file being read
// can still be renamed over or removed, as on POSIX.
inline constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Runs `call` until it succeeds or fails for another reason than a sharing
// violation, for about a second in all: a virus scanner or an indexer holds
// a new file for a moment. The call returns a BOOL and sets the last error.
template <typename Call> bool RetryWhileShared(Call call) {
    for (int attempt = 0;; ++attempt) {
        if (call())
            return true;
        const DWORD error = GetLastError();
        if ((error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED &&
             error != ERROR_LOCK_VIOLATION) ||
            attempt >= 20)
            return false;
        Sleep(50);
        SetLastError(error);
    }
}

} // namespace tolvane::platform::win
