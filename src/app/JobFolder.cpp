#include "JobFolder.h"

#include "platform/DeleteTree.h"
#include "platform/FileSystem.h"
#include "platform/PrivateFolder.h"
#include "platform/ProcessExists.h"

#include <cstdlib>
#include <stdexcept>

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
    const std::optional<platform::FileLock> lock =
        platform::FileLock::TryExisting(path + "/" + kLockName);
    if (lock)
        platform::DeleteTree(path, true, false, true);
}

} // namespace

JobFolder::JobFolder(const std::string& workingFolder) {
    const std::string prefix =
        workingFolder + kNewPrefix + std::to_string(platform::CurrentProcessId()) + "-";
    const platform::Expected<std::string> made = platform::CreateUniqueFolder(prefix);
    if (!made)
        throw std::runtime_error("Cannot create a folder in " + workingFolder + ": " +
                                 made.Error().extendedMsg);
    const std::string& folder = *made;
    // The same "<pid>-<random>" under the job's name.
    const size_t tail = workingFolder.size() + std::char_traits<char>::length(kNewPrefix);
    path_ = workingFolder + kJobPrefix + folder.substr(tail) + "/";
    std::string cause;
    {
        platform::Expected<platform::FileLock> lock =
            platform::FileLock::Acquire(folder + "/" + kLockName);
        const int renamed =
            lock ? platform::RenameFile(folder, path_.substr(0, path_.size() - 1)) : 0;
        if (lock && renamed == 0) {
            lock_.emplace(std::move(*lock));
            return;
        }
        cause = lock ? platform::ErrorText(renamed) : lock.Error().extendedMsg;
    } // unlocked before the folder goes
    platform::DeleteTree(folder + "/", true, false, true);
    throw std::runtime_error("Cannot lock " + folder + "/: " + cause);
}

JobFolder::~JobFolder() {
    platform::DeleteTree(path_, true, false, true);
    lock_.reset();
    // Windows keeps an open file, the lock's, until its handle closes, and
    // the folder with it: that goes once the lock is given up.
    if (platform::DirectoryExists(path_))
        platform::DeleteTree(path_, true, false, true);
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
            platform::DeleteTree(path, true, false, true);
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
