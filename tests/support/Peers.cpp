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

PeerResult ExtractWithZipfile(const std::string& zip, const std::string& folder,
                              const std::string& password) {
    return RunPeer("python3 -c " +
                   ShellQuote("import sys, zipfile\n"
                              "z = zipfile.ZipFile(sys.argv[1])\n"
                              "print('|'.join(z.namelist()))\n"
                              "z.extractall(sys.argv[2], pwd=sys.argv[3].encode() or None)\n") +
                   " " + ShellQuote(zip) + " " + ShellQuote(folder) + " " + ShellQuote(password));
}

PeerResult WriteWithZipfile(const std::string& zip, const std::vector<std::string>& names) {
    std::string command = "python3 -c " +
                          ShellQuote("import sys, zipfile\n"
                                     "with zipfile.ZipFile(sys.argv[1], 'w', "
                                     "zipfile.ZIP_DEFLATED) as z:\n"
                                     "    for name in sys.argv[2:]:\n"
                                     "        z.writestr(name, name)\n") +
                          " " + ShellQuote(zip);
    for (const std::string& name : names)
        command += " " + ShellQuote(name);
    return RunPeer(command);
}

} // namespace tolvane::test
