#include "JobFolder.h"

#include "DeleteTree.h"
#include "platform/FileSystem.h"
#include "platform/ProcessExists.h"

#include <cerrno>
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

// The id in a name "<prefix><pid>-...", or 0 when the name is not of that form.
int PidOf(const std::string& name, const char* prefix) {
    if (!StartsWith(name, prefix))
        return 0;
    const size_t start = std::char_traits<char>::length(prefix);
    const size_t dash = name.find('-', start);
    if (dash == std::string::npos || dash == start || dash - start > 9)
        return 0;
    for (size_t i = start; i < dash; ++i) {
        if (name[i] < '0' || name[i] > '9')
            return 0;
    }
    return static_cast<int>(std::strtol(name.c_str() + start, nullptr, 10));
}

// Whether the folder `name` of the working folder is a job's, "new-<pid>-..."
// or "job-<pid>-...", made by a process that still exists.
bool OfLiveProcess(const std::string& name) {
    const int pid = PidOf(name, StartsWith(name, kNewPrefix) ? kNewPrefix : kJobPrefix);
    return pid > 0 && platform::ProcessExists(pid);
}

// Removes the job folder `path` unless its lock is held: a job whose id was
// taken over by another process, or one of another PID namespace, still
// holds it. The lock is kept while the folder is removed.
void RemoveUnlockedJob(const std::string& path) {
    const int fd = open((path + "/" + kLockName).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return;
    }
    DeleteTree(path, true, false, true);
    if (fd >= 0)
        close(fd);
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
        if (OfLiveProcess(entry.name))
            continue; // a running job, or one being set up
        if (StartsWith(entry.name, kJobPrefix))
            RemoveUnlockedJob(path);
        else
            DeleteTree(path, true, false, true);
    }
}

void RemoveDeadJobFolders(const std::string& workingFolder) {
    auto entries = platform::ListDirectory(workingFolder);
    if (!entries)
        return;
    for (const auto& entry : *entries) {
        // A process killed while it set its folder up leaves it under the
        // "new-" name, never locked.
        const char* prefix = StartsWith(entry.name, kNewPrefix) ? kNewPrefix : kJobPrefix;
        if (entry.kind == platform::EntryKind::Folder && PidOf(entry.name, prefix) > 0 &&
            !OfLiveProcess(entry.name))
            RemoveUnlockedJob(workingFolder + entry.name);
    }
}

} // namespace tolvane::app
