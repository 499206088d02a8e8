#include "OpenWithDesktop.h"

#include "platform/FileSystem.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

extern char** environ;

namespace tolvane::platform {

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

Expected<void> OpenWithDesktop(const std::string& path, const std::string& /*parameters*/) {
    const auto fail = [&path](std::string why) {
        return Unexpected{Failure(path, std::move(why))};
    };
    std::string program = "xdg-open";
    std::string file = path;
    char* argv[] = {program.data(), file.data(), nullptr};
    pid_t pid = 0;
    if (const int error = posix_spawnp(&pid, argv[0], nullptr, nullptr, argv, environ); error != 0)
        return fail("cannot run xdg-open: " + ErrorText(error));
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return fail("cannot wait for xdg-open: " + ErrorText(errno));
    }
    if (WIFSIGNALED(status))
        return fail("xdg-open was ended by signal " + std::to_string(WTERMSIG(status)));
    if (WEXITSTATUS(status) != 0)
        return fail(XdgOpenFailure(WEXITSTATUS(status)));
    return {};
}

} // namespace tolvane::platform
