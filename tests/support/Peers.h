// Runs the real archive readers installed on the machine against archives
// the tests write.
#pragma once

#include <string>
#include <vector>

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

// Extracts `zip` into `folder` with Python's zipfile (`password` empty for
// none); the output is the entry names joined by '|'.
PeerResult ExtractWithZipfile(const std::string& zip, const std::string& folder,
                              const std::string& password = "");

// Writes `zip` anew with Python's zipfile: one deflated entry per name, the
// name as its content.
PeerResult WriteWithZipfile(const std::string& zip, const std::vector<std::string>& names);

} // namespace tolvane::test
