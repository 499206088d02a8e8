#include "ShellOpen.h"

#include "platform/FileSystem.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

extern char** environ;

namespace tolvane::update {

namespace {

// xdg-open's exit statuses, as its manual gives them.
std::string XdgOpenFailure(int status) {
    switch (status) {
    case 1:
        return "xdg-open did not understand its command line";
    case 2:
        return "xdg-open did not find the file";
    case 3:
        return "no program was found that opens this kind of file";
    case 4:
        return "the program that opens it failed";
    }
    return "xdg-open ended with status " + std::to_string(status);
}

} // namespace

bool OpenWithDesktop(const std::string& path, const std::string& /*parameters*/, std::string& why) {
    std::string program = "xdg-open";
    std::string file = path;
    char* argv[] = {program.data(), file.data(), nullptr};
    pid_t pid = 0;
    if (const int error = posix_spawnp(&pid, argv[0], nullptr, nullptr, argv, environ);
        error != 0) {
        why = "cannot run xdg-open: " + platform::ErrorText(error);
        return false;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            why = "cannot wait for xdg-open: " + platform::ErrorText(errno);
            return false;
        }
    }
    if (WIFSIGNALED(status)) {
        why = "xdg-open was ended by signal " + std::to_string(WTERMSIG(status));
        return false;
    }
    if (WEXITSTATUS(status) != 0) {
        why = XdgOpenFailure(WEXITSTATUS(status));
        return false;
    }
    return true;
}

} // namespace tolvane::update
