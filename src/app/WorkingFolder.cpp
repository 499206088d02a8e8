#include "WorkingFolder.h"

#include "platform/FileSystem.h"
#include "platform/PrivateFolder.h"
#include "platform/TempFile.h"
#include "platform/XdgFolders.h"

namespace tolvane::app {

namespace {

std::string PreferredFolder() {
    return platform::XdgDataHome() + "/Tolvane/";
}

std::string FallbackFolder() {
    return platform::SystemTempFolder() + "tolvane-" + platform::CurrentUserTag() + "/";
}

} // namespace

std::string PrepareWorkingFolder(std::string& error) {
    const std::string preferred = PreferredFolder();
    if (platform::CreateFolderTree(preferred) && platform::DirectoryExists(preferred))
        return preferred;

    // A fixed name on a shared temporary folder: another user could have made
    // it first, or put a link there that the emptying would follow.
    const std::string fallback = FallbackFolder();
    const platform::Expected<void> made = platform::MakePrivateFolder(fallback);
    error = made ? "" : platform::CauseLine(made.Error());
    return made ? fallback : "";
}

std::vector<std::string> ExistingWorkingFolders() {
    std::vector<std::string> folders;
    if (platform::DirectoryExists(PreferredFolder()))
        folders.push_back(PreferredFolder());
    const std::string fallback = FallbackFolder();
    if (platform::PathExists(fallback) && platform::CheckPrivateFolder(fallback))
        folders.push_back(fallback);
    return folders;
}

} // namespace tolvane::app
