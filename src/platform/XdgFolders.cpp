#include "platform/XdgFolders.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

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

} // namespace tolvane::platform
