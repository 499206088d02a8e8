// Each monetize job works in a private subfolder of the working folder that
// it holds locked, so that another running instance's start-up or closing
// steps never delete files the job is still writing.
#pragma once

#include "platform/FileLock.h"

#include <optional>
#include <string>

namespace tolvane::app {

class JobFolder {
public:
    // Creates and locks a new subfolder of `workingFolder` (which ends in "/").
    // Throws std::runtime_error naming the folder and the cause.
    explicit JobFolder(const std::string& workingFolder);
    // Unlocks and removes the subfolder with everything in it.
    ~JobFolder();
    JobFolder(const JobFolder&) = delete;
    JobFolder& operator=(const JobFolder&) = delete;

    // The subfolder, ending in "/".
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    std::optional<platform::FileLock> lock_;
};

// Empties the working folder except the subfolders of jobs whose process
// still exists or whose lock is held: the start-up emptying.
void EmptyWorkingFolder(const std::string& workingFolder);

// Removes the job folders ("job-<pid>-...", and "new-<pid>-..." of a job
// killed while it set its folder up) of `workingFolder` whose process no
// longer exists and whose lock is free, and nothing else: what a killed job
// (kill -9) left behind. Every start of either program calls it.
void RemoveDeadJobFolders(const std::string& workingFolder);

} // namespace tolvane::app
