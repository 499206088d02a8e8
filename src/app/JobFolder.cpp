#include "JobFolder.h"

#include "DeleteTree.h"

#include "platform/FileSystem.h"

#include <cerrno>
#include <fcntl.h>
#include <stdexcept>
#include <sys/file.h>
#include <unistd.h>

namespace tolvane::app {

namespace {

constexpr const char* kLockName = ".lock";

// True when another process holds the lock of the job folder `folder`.
bool HeldByRunningJob(const std::string& folder) {
    const int fd = open((folder + kLockName).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    const bool held = flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    close(fd); // also releases the lock taken just now
    return held;
}

} // namespace

JobFolder::JobFolder(const std::string& workingFolder) {
    std::string pattern = workingFolder + "job-" + std::to_string(getpid()) + "-XXXXXX";
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("Cannot create a folder in " + workingFolder + ": " +
                                 platform::ErrorText(errno));
    path_ = pattern + "/";
    lockFd_ = open((path_ + kLockName).c_str(), O_CREAT | O_RDWR | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lockFd_ < 0 || flock(lockFd_, LOCK_EX) != 0) {
        const int error = errno;
        DeleteTree(path_, true, false, true);
        throw std::runtime_error("Cannot lock " + path_ + ": " + platform::ErrorText(error));
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
        if (entry.IsDirectory()) {
            if (!HeldByRunningJob(path + "/"))
                DeleteTree(path, true, false, true);
            continue;
        }
        platform::RemoveFile(path);
    }
}

} // namespace tolvane::app
