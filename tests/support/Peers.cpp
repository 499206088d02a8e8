#include "support/Peers.h"

#include <array>
#include <cstdio>
#include <sys/wait.h>

namespace tolvane::test {

std::string ShellQuote(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

PeerResult RunPeer(const std::string& command) {
    PeerResult result;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return result;
    std::array<char, 4096> buffer{};
    size_t n = 0;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        result.output.append(buffer.data(), n);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

bool HavePeer(const std::string& program) {
    return RunPeer("command -v " + ShellQuote(program)).status == 0;
}

} // namespace tolvane::test
