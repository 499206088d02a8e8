#include "support/ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace tolvane::test {

ChildProcess::ChildProcess(const std::vector<std::string>& argv,
                           const std::vector<std::string>& env, const std::string& outputFile) {
    // Emptied here, not in the child: a child killed before it got that far
    // must not leave the previous run's output to be read as its own.
    const int fd = open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    pid_ = fork();
    if (pid_ != 0) {
        if (fd >= 0)
            close(fd);
        if (pid_ < 0)
            throw std::runtime_error("fork failed");
        return;
    }
    // The child: only async-signal-safe calls from here on but for putenv,
    // which is safe enough in a fresh single-threaded child of a test.
    for (const std::string& assignment : env)
        putenv(const_cast<char*>(assignment.c_str()));
    if (fd >= 0) {
        dup2(fd, STDOUT_FILENO);
        dup2(fd, STDERR_FILENO);
    }
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        Wait();
    }
}

void ChildProcess::Signal(int signalNumber) const {
    if (pid_ > 0)
        kill(pid_, signalNumber);
}

int ChildProcess::Wait() {
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return WEXITSTATUS(status);
}

} // namespace tolvane::test
