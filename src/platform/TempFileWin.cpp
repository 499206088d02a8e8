// The temporary folder (GetTempPathW) and unique files named after the
// process that made them: its ID and its creation time, which together name
// one process even after the ID is reused.
#include "platform/TempFile.h"

#include "platform/FileSystem.h"
#include "platform/TempFileNames.h"
#include "platform/Win32Support.h"

#include <cerrno>
#include <cstdlib>
#include <optional>

namespace tolvane::platform {

namespace {

std::string WithSeparator(std::string folder) {
    if (!folder.empty() && folder.back() != '/' && folder.back() != '\\')
        folder.push_back(kPathSeparator);
    return folder;
}

// The creation time of a running process (100 ns units), or nullopt when no
// process of that ID runs.
std::optional<uint64_t> StartTimeOf(uint64_t pid) {
    if (pid > MAXDWORD) // no process has an ID past 32 bits
        return std::nullopt;
    const win::Handle process(
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid)));
    FILETIME created, exited, kernel, user;
    DWORD code = 0;
    if (!process.Valid() || !GetExitCodeProcess(process.Get(), &code) || code != STILL_ACTIVE ||
        !GetProcessTimes(process.Get(), &created, &exited, &kernel, &user))
        return std::nullopt;
    return (static_cast<uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

std::string ProcessLead(const std::string& prefix) {
    const uint64_t pid = GetCurrentProcessId();
    return TempFileLead(prefix, pid, StartTimeOf(pid).value_or(0));
}

} // namespace

std::string SystemTempFolder() {
    wchar_t buffer[MAX_PATH + 2];
    const DWORD length = GetTempPathW(MAX_PATH + 2, buffer);
    if (length > 0 && length <= MAX_PATH + 1) {
        const std::string folder = win::ProgramPath(std::wstring_view(buffer, length));
        if (DirectoryExists(folder))
            return WithSeparator(folder);
    }
    // Never the current folder: the Windows folder's Temp is always there.
    wchar_t windows[MAX_PATH + 1];
    const UINT got = GetWindowsDirectoryW(windows, MAX_PATH + 1);
    return WithSeparator(win::ProgramPath(std::wstring_view(windows, got)) + "/Temp");
}

std::string CreateUniqueFile(const std::string& folder, const std::string& prefix, int& error) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string path = UniqueName(folder, prefix);
        const win::Handle handle(CreateFileW(win::OsPath(path).c_str(), GENERIC_WRITE,
                                             win::kShareAll, nullptr, CREATE_NEW,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
        if (handle.Valid()) {
            error = 0;
            return path;
        }
        error = win::LastErrno();
        if (error != EEXIST)
            return std::string();
    }
    return std::string();
}

std::string UniqueName(const std::string& folder, const std::string& prefix) {
    return WithSeparator(folder) + ProcessLead(prefix) + TempFileRandom() + kTempFileExtension;
}

void RemoveStaleTempFiles(const std::string& folder, const std::string& prefix) {
    for (const std::string& path : StaleTempFiles(WithSeparator(folder), prefix, StartTimeOf)) {
        const DWORD attributes = GetFileAttributesW(win::OsPath(path).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES &&
            !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
            RemoveFile(path);
    }
}

} // namespace tolvane::platform
