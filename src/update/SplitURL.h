// Splitting an update address into the host and the path of the request.
#pragma once

#include <cstdint>
#include <string>

namespace tolvane::update {

struct UrlParts {
    std::string host; // empty for an address that begins with "/"
    std::string path; // from the first "/" on; the whole address when it has none
};

// Drops a leading "http://" (any letter case), then splits at the first "/".
// "http://example.com/update.html" gives "example.com" and "/update.html";
// "/setup.exe" gives an empty host and "/setup.exe".
UrlParts SplitURL(const std::string& address);

struct HostPort {
    std::string name;
    uint16_t port;
};

// Splits "name:port" into its parts; a host without a valid port number gets
// `defaultPort`. IPv6 literals in brackets keep their brackets.
HostPort SplitHostPort(const std::string& host, uint16_t defaultPort);

} // namespace tolvane::update
