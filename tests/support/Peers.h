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

// The four readers whose reading of names the ZIP tests check.
enum class ZipPeer { Unzip, SevenZip, Zipfile, Bsdtar }; // in this order
const char* PeerName(ZipPeer peer);
inline constexpr ZipPeer kZipPeers[] = {ZipPeer::Unzip, ZipPeer::SevenZip, ZipPeer::Zipfile,
                                        ZipPeer::Bsdtar};

// The entry names `peer` lists for `zip` in a UTF-8 locale, one a line.
PeerResult ListWithPeer(ZipPeer peer, const std::string& zip);
// Extracts `zip` into the existing `folder` with `peer` in a UTF-8 locale.
PeerResult ExtractWithPeer(ZipPeer peer, const std::string& zip, const std::string& folder);

// Writes `zip` anew with Python's zipfile: one deflated entry per name, the
// name as its content.
PeerResult WriteWithZipfile(const std::string& zip, const std::vector<std::string>& names);

} // namespace tolvane::test
