#include "ShellOpen.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

extern char** environ;

namespace tolvane::update {

bool OpenWithDesktop(const std::string& path, const std::string& /*parameters*/) {
    std::string program = "xdg-open";
    std::string file = path;
    char* argv[] = {program.data(), file.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv, environ) != 0)
        return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace tolvane::update
