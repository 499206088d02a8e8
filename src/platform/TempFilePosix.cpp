// Temporary folder lookup and unique file creation, in place of GetTempPath
// and GetTempFileName, with names that identify the process that made them.
#include "platform/TempFile.h"

#include "platform/FileSystem.h"
#include "platform/TempFileNames.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane::platform {

namespace {

std::string WithSeparator(std::string folder) {
    if (!folder.empty() && folder.back() != kPathSeparator)
        folder.push_back(kPathSeparator);
    return folder;
}

// The start time of process `pid` in clock ticks since boot (field 22 of
// /proc/PID/stat); with the id it names one process, even after the id is reused.
std::optional<uint64_t> StartTimeOf(uint64_t pid) {
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

std::string ProcessLead(const std::string& prefix) {
    const auto pid = static_cast<uint64_t>(getpid());
    return TempFileLead(prefix, pid, StartTimeOf(pid).value_or(0));
}

} // namespace

std::string SystemTempFolder() {
    const char* fromEnvironment = std::getenv("TMPDIR");
    if (fromEnvironment && *fromEnvironment && DirectoryExists(fromEnvironment))
        return WithSeparator(fromEnvironment);
    return "/tmp/";
}

std::string CreateUniqueFile(const std::string& folder, const std::string& prefix, int& error) {
    std::string path = WithSeparator(folder) + ProcessLead(prefix) +
                       std::string(kTempFileRandomLength, 'X') + kTempFileExtension;
    // mkostemps creates the file exclusively with mode 0600, so two processes
    // can never be handed the same name.
    const int fd =
        mkostemps(path.data(), static_cast<int>(sizeof kTempFileExtension - 1), O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return std::string();
    }
    close(fd);
    error = 0;
    return path;
}

std::string UniqueName(const std::string& folder, const std::string& prefix) {
    return WithSeparator(folder) + ProcessLead(prefix) + TempFileRandom() + kTempFileExtension;
}

void RemoveStaleTempFiles(const std::string& folder, const std::string& prefix) {
    for (const std::string& path : StaleTempFiles(WithSeparator(folder), prefix, StartTimeOf)) {
        struct stat info {};
        if (lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == geteuid())
            RemoveFile(path);
    }
}

} // namespace tolvane::platform
