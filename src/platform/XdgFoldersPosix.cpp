#include "platform/XdgFolders.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace tolvane::platform {

namespace {

std::string FromEnvironment(const char* name, const char* belowHome) {
    const char* value = std::getenv(name);
    if (value && value[0] == '/')
        return value;
    const auto home = HomeFolder();
    return home ? *home + "/" + belowHome : std::string(belowHome);
}

} // namespace

std::optional<std::string> HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home && *home)
        return std::string(home);
    std::vector<char> buffer(16384);
    passwd record{};
    passwd* result = nullptr;
    if (getpwuid_r(getuid(), &record, buffer.data(), buffer.size(), &result) == 0 && result &&
        result->pw_dir && *result->pw_dir)
        return std::string(result->pw_dir);
    return std::nullopt;
}

std::string XdgDataHome() {
    return FromEnvironment("XDG_DATA_HOME", ".local/share");
}

std::string XdgConfigHome() {
    return FromEnvironment("XDG_CONFIG_HOME", ".config");
}

std::vector<std::string> XdgDataDirs() {
    std::vector<std::string> folders;
    const char* value = std::getenv("XDG_DATA_DIRS");
    for (std::string rest = value ? value : ""; !rest.empty();) {
        const size_t colon = rest.find(':');
        const std::string folder = rest.substr(0, colon);
        if (!folder.empty() && folder[0] == '/')
            folders.push_back(folder);
        rest = colon == std::string::npos ? std::string() : rest.substr(colon + 1);
    }
    if (folders.empty())
        folders = {"/usr/local/share", "/usr/share"};
    return folders;
}

} // namespace tolvane::platform
