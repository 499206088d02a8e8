#include "JobFolder.h"

#include "DeleteTree.h"
#include "platform/FileSystem.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <stdexcept>
#include <sys/file.h>
#include <unistd.h>

namespace tolvane::app {

namespace {

constexpr const char* kLockName = ".lock";
// A folder is made under this prefix and renamed to kJobPrefix once its lock
// is held, so that no instance ever sees an unlocked job folder of a running job.
constexpr const char* kNewPrefix = "new-";
constexpr const char* kJobPrefix = "job-";

bool StartsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

// True when the folder "new-<pid>-..." belongs to a process that still runs.
bool MadeByRunningProcess(const std::string& name) {
    const std::string digits = name.substr(std::char_traits<char>::length(kNewPrefix));
    const pid_t pid = static_cast<pid_t>(std::strtol(digits.c_str(), nullptr, 10));
    return pid > 0 && (kill(pid, 0) == 0 || errno == EPERM);
}

} // namespace

JobFolder::JobFolder(const std::string& workingFolder) {
    const std::string suffix = std::to_string(getpid()) + "-XXXXXX";
    std::string pattern = workingFolder + kNewPrefix + suffix;
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("Cannot create a folder in " + workingFolder + ": " +
                                 platform::ErrorText(errno));
    const std::string made = pattern + "/";
    lockFd_ = open((made + kLockName).c_str(), O_CREAT | O_RDWR | O_CLOEXEC | O_NOFOLLOW, 0600);
    path_ = workingFolder + kJobPrefix + pattern.substr(pattern.size() - suffix.size()) + "/";
    if (lockFd_ < 0 || flock(lockFd_, LOCK_EX) != 0 ||
        rename(pattern.c_str(), path_.substr(0, path_.size() - 1).c_str()) != 0) {
        const int error = errno;
        if (lockFd_ >= 0)
            close(lockFd_);
        DeleteTree(made, true, false, true);
        throw std::runtime_error("Cannot lock " + made + ": " + platform::ErrorText(error));
    }
}

JobFolder::~JobFolder() {
    DeleteTree(path_, true, false, true);
    if (lockFd_ >= 0)
        close(lockFd_);
}

void EmptyWorkingFolder(const std::string& workingFolder) {
    auto entries = platform::ListDirectory(workingFolder);
    if (!entries)
        return;
    for (const auto& entry : *entries) {
        const std::string path = workingFolder + entry.name;
        if (!entry.IsDirectory()) {
            platform::RemoveFile(path);
            continue;
        }
        if (StartsWith(entry.name, kNewPrefix) && MadeByRunningProcess(entry.name))
            continue; // being set up
        // A job folder whose lock can be taken belongs to no running job; the
        // lock is kept while the folder is removed.
        const int fd = StartsWith(entry.name, kJobPrefix) ? open((path + "/" + kLockName).c_str(),
                                                                 O_RDONLY | O_CLOEXEC | O_NOFOLLOW)
                                                          : -1;
        if (fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) != 0) {
            close(fd);
            continue;
        }
        DeleteTree(path, true, false, true);
        if (fd >= 0)
            close(fd);
    }
}

} // namespace tolvane::app
