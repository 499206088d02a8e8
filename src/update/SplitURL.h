// Splitting an update address into the scheme, the host and the path of the
// request.
#pragma once

#include <cstdint>
#include <string>

namespace tolvane::update {

struct UrlParts {
    std::string scheme; // "http" or "https"
    std::string host;   // empty for an address that begins with "/"
    std::string path;   // from the first "/" on; the whole address when it has none
};

// Drops a leading "https://" (any letter case, scheme "https"), else the
// first seven characters of an address that holds "http://" anywhere (scheme
// "http"), then splits at the first "/". "http://example.com/update.html"
// gives "example.com" and "/update.html"; "/setup.exe" gives an empty host
// and "/setup.exe". An address without a scheme is plain HTTP.
UrlParts SplitURL(const std::string& address);

// The port a scheme uses when the address names none; plain HTTP takes
// `httpPort` (the component's HTTPPort).
uint16_t DefaultPort(const std::string& scheme, uint16_t httpPort);

struct HostPort {
    std::string name;
    uint16_t port;
};

// Splits "name:port" into its parts; a host without a valid port number gets
// `defaultPort`. IPv6 literals in brackets keep their brackets.
HostPort SplitHostPort(const std::string& host, uint16_t defaultPort);

} // namespace tolvane::update
