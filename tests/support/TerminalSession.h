// A program run on a pseudo-terminal of its own, as a user runs it in a
// terminal window: what it shows there is read back, and keys are typed.
#pragma once

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace tolvane::test {

class TerminalSession {
public:
    // Starts `argv[0]` with `argv` in `folder`, the test's environment plus
    // `env` ("NAME=value" each), its three standard streams on the terminal.
    TerminalSession(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                    const std::string& folder) {
        pid_ = forkpty(&master_, nullptr, nullptr, nullptr);
        if (pid_ == 0) {
            for (const std::string& pair : env)
                putenv(const_cast<char*>(pair.c_str()));
            std::vector<char*> args;
            for (const std::string& arg : argv)
                args.push_back(const_cast<char*>(arg.c_str()));
            args.push_back(nullptr);
            if (chdir(folder.c_str()) == 0)
                execv(args[0], args.data());
            _exit(127);
        }
        EXPECT_GT(pid_, 0) << "forkpty failed";
    }
    ~TerminalSession() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (master_ >= 0)
            close(master_);
    }
    TerminalSession(const TerminalSession&) = delete;
    TerminalSession& operator=(const TerminalSession&) = delete;

    // Reads what the terminal shows until `text` appears after what was
    // already waited for; false when the program ended (or went silent for
    // half a minute, a hung run) first.
    bool WaitFor(const std::string& text) {
        while (shown_.find(text, waited_) == std::string::npos) {
            if (!ReadSome())
                return false;
        }
        waited_ = shown_.find(text, waited_) + text.size();
        return true;
    }
    void Type(const std::string& keys) const {
        ASSERT_EQ(write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }
    // Reads the rest and waits for the end: the exit status, or 128 + the signal.
    int Wait() {
        while (ReadSome()) {
        }
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    // Everything the terminal showed, its line ends as "\r\n".
    const std::string& Shown() const { return shown_; }

private:
    bool ReadSome() {
        pollfd ready{master_, POLLIN, 0};
        if (poll(&ready, 1, 30000) <= 0)
            return false;
        char buffer[4096];
        const ssize_t got = read(master_, buffer, sizeof buffer);
        if (got <= 0) // EIO once the program closed the terminal
            return false;
        shown_.append(buffer, static_cast<size_t>(got));
        return true;
    }

    pid_t pid_ = -1;
    int master_ = -1;
    std::string shown_;
    size_t waited_ = 0;
};

} // namespace tolvane::test
