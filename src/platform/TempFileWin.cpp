// The temporary folder (GetTempPathW) and unique files named after the
// process that made them: its ID and its creation time, which together name
// one process even after the ID is reused.
#include "platform/TempFile.h"

#include "platform/FileSystem.h"
#include "platform/Win32Support.h"

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <random>

namespace tolvane::platform {

namespace {

constexpr char kExtension[] = ".tmp";
constexpr size_t kRandomLength = 6;

std::string WithSeparator(std::string folder) {
    if (!folder.empty() && folder.back() != '/' && folder.back() != '\\')
        folder.push_back(kPathSeparator);
    return folder;
}

// The creation time of a running process (100 ns units), or nullopt when no
// process of that ID runs.
std::optional<unsigned long long> StartTimeOf(unsigned long pid) {
    const win::Handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    FILETIME created, exited, kernel, user;
    DWORD code = 0;
    if (!process.Valid() || !GetExitCodeProcess(process.Get(), &code) || code != STILL_ACTIVE ||
        !GetProcessTimes(process.Get(), &created, &exited, &kernel, &user))
        return std::nullopt;
    return (static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

std::string ProcessStamp() {
    const unsigned long pid = GetCurrentProcessId();
    return std::to_string(pid) + "-" + std::to_string(StartTimeOf(pid).value_or(0));
}

bool AllDigits(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// The id and start time in a name of ours, or false when it is not one.
bool ParseStamp(const std::string& name, const std::string& prefix, unsigned long& pid,
                unsigned long long& start) {
    const std::string lead = prefix + "-";
    const size_t tail = kRandomLength + sizeof kExtension - 1;
    if (name.size() < lead.size() + tail + 4 || name.compare(0, lead.size(), lead) != 0 ||
        name.compare(name.size() - (sizeof kExtension - 1), std::string::npos, kExtension) != 0)
        return false;
    const std::string stamp = name.substr(lead.size(), name.size() - lead.size() - tail);
    const size_t dash = stamp.find('-');
    if (dash == std::string::npos || stamp.back() != '-')
        return false;
    const std::string pidText = stamp.substr(0, dash);
    const std::string startText = stamp.substr(dash + 1, stamp.size() - dash - 2);
    if (!AllDigits(pidText) || !AllDigits(startText))
        return false;
    pid = std::strtoul(pidText.c_str(), nullptr, 10);
    start = std::strtoull(startText.c_str(), nullptr, 10);
    return pid > 0;
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
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<size_t> pick(0, sizeof kLetters - 2);
    std::string random(kRandomLength, 'X');
    for (char& c : random)
        c = kLetters[pick(generator)];
    return WithSeparator(folder) + prefix + "-" + ProcessStamp() + "-" + random + kExtension;
}

void RemoveStaleTempFiles(const std::string& folder, const std::string& prefix) {
    const auto entries = ListDirectory(folder);
    if (!entries)
        return;
    for (const DirEntry& entry : *entries) {
        unsigned long pid = 0;
        unsigned long long start = 0;
        if (entry.kind != EntryKind::File || !ParseStamp(entry.name, prefix, pid, start))
            continue;
        const std::string path = WithSeparator(folder) + entry.name;
        const DWORD attributes = GetFileAttributesW(win::OsPath(path).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES ||
            (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
            continue;
        const auto running = StartTimeOf(pid);
        // A start time of 0 means the maker could not read its own: the id alone decides.
        if (running && (*running == start || start == 0))
            continue; // still in use
        RemoveFile(path);
    }
}

} // namespace tolvane::platform
