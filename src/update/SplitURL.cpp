#include "SplitURL.h"

#include <cctype>
#include <charconv>

namespace tolvane::update {

UrlParts SplitURL(const std::string& address) {
    std::string rest = address;
    std::string lower = address;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    // A scheme anywhere in the address drops the first seven characters; this
    // keeps addresses such as "HTTP://host/x" and "http://host/x" alike.
    if (lower.find("http://") != std::string::npos)
        rest.erase(0, 7);
    const size_t slash = rest.find('/');
    if (slash == std::string::npos)
        return {"", rest};
    UrlParts parts{rest.substr(0, slash), rest.substr(slash)};
    return parts;
}

HostPort SplitHostPort(const std::string& host, uint16_t defaultPort) {
    const size_t colon = host.rfind(':');
    if (colon == std::string::npos || host.find(']', colon) != std::string::npos)
        return {host, defaultPort};
    const std::string digits = host.substr(colon + 1);
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() || value == 0 ||
        value > 65535)
        return {host, defaultPort};
    return {host.substr(0, colon), static_cast<uint16_t>(value)};
}

} // namespace tolvane::update
