#include "ReferralRef.h"

#include <array>
#include <cctype>
#include <string_view>

namespace tolvane::app {

namespace {

// The length of the white space that ends `text` (`atEnd`) or begins it, in
// bytes; 0 when there is none there.
size_t WhiteSpaceAt(std::string_view text, bool atEnd) {
    // Unicode's White_Space characters beyond ASCII, in UTF-8.
    static constexpr std::array<std::string_view, 19> kWide = {
        "\xC2\x85",     "\xC2\xA0",     "\xE1\x9A\x80", "\xE2\x80\x80", "\xE2\x80\x81",
        "\xE2\x80\x82", "\xE2\x80\x83", "\xE2\x80\x84", "\xE2\x80\x85", "\xE2\x80\x86",
        "\xE2\x80\x87", "\xE2\x80\x88", "\xE2\x80\x89", "\xE2\x80\x8A", "\xE2\x80\xA8",
        "\xE2\x80\xA9", "\xE2\x80\xAF", "\xE2\x81\x9F", "\xE3\x80\x80"};
    if (text.empty())
        return 0;
    const unsigned char edge = static_cast<unsigned char>(atEnd ? text.back() : text.front());
    if (edge < 0x80)
        return std::isspace(edge) ? 1 : 0;
    for (const std::string_view space : kWide) {
        if (atEnd ? text.ends_with(space) : text.starts_with(space))
            return space.size();
    }
    return 0;
}

} // namespace

std::string TrimmedId(const std::string& id) {
    std::string_view text(id);
    for (size_t n; (n = WhiteSpaceAt(text, false)) > 0;)
        text.remove_prefix(n);
    for (size_t n; (n = WhiteSpaceAt(text, true)) > 0;)
        text.remove_suffix(n);
    return std::string(text);
}

std::string BuildReferralRef(const std::string& partnerId, const std::string& softwareId,
                             const std::string& current) {
    if (partnerId.empty() || softwareId.empty())
        return current;
    const std::string joined = partnerId + "_" + softwareId;
    static const std::string kWord = "archiver";
    std::string out;
    for (size_t i = 0; i < joined.size();) {
        bool match = i + kWord.size() <= joined.size();
        for (size_t k = 0; match && k < kWord.size(); ++k)
            match = std::tolower(static_cast<unsigned char>(joined[i + k])) == kWord[k];
        if (match) {
            out += '~';
            i += kWord.size();
        } else {
            out += joined[i++];
        }
    }
    return out;
}

std::string ShortcutUrl(const std::string& archiverHost, const std::string& referralRef) {
    if (referralRef.empty())
        return "http://" + archiverHost + "/";
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string url = "http://" + archiverHost + "/index.php?ref=";
    for (const char c : referralRef) {
        const auto byte = static_cast<unsigned char>(c);
        const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                                (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' ||
                                c == '~';
        if (unreserved) {
            url += c;
            continue;
        }
        url += '%';
        url += kHex[byte >> 4];
        url += kHex[byte & 0x0F];
    }
    return url;
}

} // namespace tolvane::app
