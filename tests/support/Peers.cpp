#include "support/Peers.h"

#include <array>
#include <cstdio>
#ifndef _WIN32
#include <sys/wait.h>
#endif

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
#ifdef _WIN32
    // The command interpreter's own exit code; no POSIX shell, so no peer runs.
    result.status = status;
#else
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
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

namespace {
struct PeerCommands {
    const char* name;
    const char* list;    // {z} the archive
    const char* extract; // {z} the archive, {f} the folder
};
// In a UTF-8 locale: the readers decode names for the locale's charset.
const PeerCommands kPeerCommands[] = {
    {"unzip", "unzip -Z1 {z}", "unzip -q -o {z} -d {f}"},
    {"7z", "7z l -ba -slt {z} | sed -n 's/^Path = //p'", "7z x -y -bd -o{f} {z}"},
    {"zipfile",
     "python3 -c 'import sys, zipfile; "
     "print(\"\\n\".join(zipfile.ZipFile(sys.argv[1]).namelist()))' {z}",
     "python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' {z} "
     "{f}"},
    {"bsdtar", "bsdtar -tf {z}", "bsdtar -xf {z} -C {f}"},
};

PeerResult RunZipPeer(std::string command, const std::string& zip, const std::string& folder) {
    for (const auto& [key, value] :
         {std::pair{"{z}", ShellQuote(zip)}, {"{f}", ShellQuote(folder)}}) {
        if (const size_t at = command.find(key); at != std::string::npos)
            command.replace(at, 3, value);
    }
    return RunPeer("LC_ALL=C.UTF-8 " + command);
}
} // namespace

const char* PeerName(ZipPeer peer) {
    return kPeerCommands[static_cast<int>(peer)].name;
}

PeerResult ListWithPeer(ZipPeer peer, const std::string& zip) {
    return RunZipPeer(kPeerCommands[static_cast<int>(peer)].list, zip, "");
}

PeerResult ExtractWithPeer(ZipPeer peer, const std::string& zip, const std::string& folder) {
    return RunZipPeer(kPeerCommands[static_cast<int>(peer)].extract, zip, folder);
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
