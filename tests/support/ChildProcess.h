// A program started by a test, to be stopped by a signal at a chosen moment.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace tolvane::test {

class ChildProcess {
public:
    // Starts `argv[0]` with `argv` and the test's environment plus `env`
    // ("NAME=value" each); its output goes to `outputFile`.
    ChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                 const std::string& outputFile);
    // Kills and reaps the process if it still runs.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The process's ID while it has not been waited for, -1 after.
    pid_t Pid() const { return pid_; }
    void Signal(int signalNumber) const;
    // Waits for the end; the exit status, or 128 + the signal that ended it.
    int Wait();

private:
    pid_t pid_ = -1;
};

} // namespace tolvane::test
