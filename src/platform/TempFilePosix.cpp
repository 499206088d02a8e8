// Temporary folder lookup and unique file creation, in place of GetTempPath
// and GetTempFileName, with names that identify the process that made them.
#include "platform/TempFile.h"

#include "platform/FileSystem.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane::platform {

namespace {

constexpr char kExtension[] = ".tmp";
constexpr size_t kRandomLength = 6;

std::string WithSeparator(std::string folder) {
    if (!folder.empty() && folder.back() != kPathSeparator)
        folder.push_back(kPathSeparator);
    return folder;
}

// The start time of process `pid` in clock ticks since boot (field 22 of
// /proc/PID/stat); with the id it names one process, even after the id is reused.
std::optional<unsigned long long> StartTimeOf(long pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(in, line))
        return std::nullopt;
    // The command name in parentheses may hold blanks: count fields after it.
    const size_t close = line.rfind(')');
    if (close == std::string::npos)
        return std::nullopt;
    size_t pos = close + 2; // field 3 starts here
    for (int field = 3; field < 22; ++field) {
        pos = line.find(' ', pos);
        if (pos == std::string::npos)
            return std::nullopt;
        ++pos;
    }
    return std::strtoull(line.c_str() + pos, nullptr, 10);
}

std::string ProcessStamp() {
    const long pid = static_cast<long>(getpid());
    return std::to_string(pid) + "-" + std::to_string(StartTimeOf(pid).value_or(0));
}

bool AllDigits(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// The id and start time in a name of ours, or false when it is not one.
bool ParseStamp(const std::string& name, const std::string& prefix, long& pid,
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
    pid = std::strtol(pidText.c_str(), nullptr, 10);
    start = std::strtoull(startText.c_str(), nullptr, 10);
    return pid > 0;
}

} // namespace

std::string SystemTempFolder() {
    const char* fromEnvironment = std::getenv("TMPDIR");
    if (fromEnvironment && *fromEnvironment && DirectoryExists(fromEnvironment))
        return WithSeparator(fromEnvironment);
    return "/tmp/";
}

std::string CreateUniqueFile(const std::string& folder, const std::string& prefix, int& error) {
    std::string path =
        WithSeparator(folder) + prefix + "-" + ProcessStamp() + "-XXXXXX" + kExtension;
    // mkostemps creates the file exclusively with mode 0600, so two processes
    // can never be handed the same name.
    const int fd = mkostemps(path.data(), static_cast<int>(sizeof kExtension - 1), O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return std::string();
    }
    close(fd);
    error = 0;
    return path;
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
        long pid = 0;
        unsigned long long start = 0;
        if (entry.kind != EntryKind::File || !ParseStamp(entry.name, prefix, pid, start))
            continue;
        const std::string path = WithSeparator(folder) + entry.name;
        struct stat info {};
        if (lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid())
            continue;
        const auto running = StartTimeOf(pid);
        // A start time of 0 means the maker could not read its own: the id alone decides.
        if (running && (*running == start || start == 0))
            continue; // still in use
        RemoveFile(path);
    }
}

} // namespace tolvane::platform
