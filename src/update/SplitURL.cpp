#include "SplitURL.h"

#include <cctype>
#include <charconv>
#include <string_view>

namespace tolvane::update {

UrlParts SplitURL(const std::string& address) {
    std::string rest = address;
    std::string lower = address;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::string scheme = "http";
    // An installer on a secure server has to be fetched from there: taking
    // it over plain HTTP would fail or, worse, be open to tampering.
    static constexpr std::string_view kSecure = "https://";
    if (lower.rfind(kSecure, 0) == 0) {
        scheme = "https";
        rest.erase(0, kSecure.size());
    } else if (lower.find("http://") != std::string::npos) {
        // A scheme anywhere in the address drops the first seven characters;
        // this keeps addresses such as "HTTP://host/x" and "http://host/x" alike.
        rest.erase(0, 7);
    }
    const size_t slash = rest.find('/');
    if (slash == std::string::npos)
        return {scheme, "", rest};
    return {scheme, rest.substr(0, slash), rest.substr(slash)};
}

uint16_t DefaultPort(const std::string& scheme, uint16_t httpPort) {
    return scheme == "https" ? 443 : httpPort;
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
