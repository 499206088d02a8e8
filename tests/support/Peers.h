// Runs the real archive readers installed on the machine against archives
// the tests write.
#pragma once

#include <string>

namespace tolvane::test {

struct PeerResult {
    int status = -1; // exit status, -1 when the program could not run
    std::string output;
};

// Runs `command` through the shell, capturing stdout and stderr together.
PeerResult RunPeer(const std::string& command);
// True when `program` is on the PATH.
bool HavePeer(const std::string& program);
// Single-quoted for the shell.
std::string ShellQuote(const std::string& text);

} // namespace tolvane::test
