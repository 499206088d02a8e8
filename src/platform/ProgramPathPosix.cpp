#include "ProgramPath.h"

#include <climits>
#include <unistd.h>

namespace tolvane::platform {

std::string ProgramPath() {
    std::string exe(PATH_MAX, '\0');
    const ssize_t n = readlink("/proc/self/exe", exe.data(), exe.size() - 1);
    if (n <= 0)
        return {};
    exe.resize(static_cast<size_t>(n));
    return exe;
}

} // namespace tolvane::platform
