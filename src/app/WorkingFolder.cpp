#include "WorkingFolder.h"

#include "platform/FileSystem.h"
#include "platform/TempFile.h"
#include "platform/XdgFolders.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane::app {

namespace {

std::string PreferredFolder() {
    return platform::XdgDataHome() + "/Tolvane/";
}

std::string FallbackFolder() {
    return platform::SystemTempFolder() + "tolvane-" + std::to_string(geteuid()) + "/";
}

// "" when `fallback` is this user's own folder, else why it is refused.
std::string FallbackProblem(const std::string& fallback) {
    struct stat st {};
    if (lstat(fallback.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return fallback + " is not a folder (a link or a file); refusing to use it";
    if (st.st_uid != geteuid() || (st.st_mode & 077) != 0)
        return fallback + " belongs to another user or is open to others; refusing to use it";
    return "";
}

} // namespace

std::string PrepareWorkingFolder(std::string& error) {
    const std::string preferred = PreferredFolder();
    if (platform::CreateFolderTree(preferred) && platform::DirectoryExists(preferred))
        return preferred;

    // A fixed name on a shared temporary folder: another user could have made
    // it first, or put a link there that the emptying would follow.
    const std::string fallback = FallbackFolder();
    if (mkdir(fallback.c_str(), 0700) != 0 && errno != EEXIST) {
        error = "cannot create " + fallback + ": " + platform::ErrorText(errno);
        return "";
    }
    error = FallbackProblem(fallback);
    return error.empty() ? fallback : "";
}

std::vector<std::string> ExistingWorkingFolders() {
    std::vector<std::string> folders;
    if (platform::DirectoryExists(PreferredFolder()))
        folders.push_back(PreferredFolder());
    const std::string fallback = FallbackFolder();
    if (platform::PathExists(fallback) && FallbackProblem(fallback).empty())
        folders.push_back(fallback);
    return folders;
}

} // namespace tolvane::app
