#include "EmailAddress.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace tolvane::signup {

namespace {

bool IsLetterOrDigit(unsigned char c) {
    return c >= 0x80 || std::isalnum(c);
}

bool IsAtomCharacter(unsigned char c) {
    constexpr std::string_view kSymbols = "!#$%&'*+-/=?^_`{|}~";
    return IsLetterOrDigit(c) || kSymbols.find(static_cast<char>(c)) != std::string_view::npos;
}

bool IsLocalLabel(std::string_view label) {
    return std::all_of(label.begin(), label.end(),
                       [](char c) { return IsAtomCharacter(static_cast<unsigned char>(c)); });
}

bool IsDomainLabel(std::string_view label) {
    return label.front() != '-' && label.back() != '-' &&
           std::all_of(label.begin(), label.end(), [](char c) {
               return c == '-' || IsLetterOrDigit(static_cast<unsigned char>(c));
           });
}

// How many dot-separated labels `text` has, all of them non-empty and
// accepted by `accepted`; 0 when one is not.
size_t CountLabels(std::string_view text, bool (*accepted)(std::string_view)) {
    size_t count = 0;
    for (size_t start = 0;; ++count) {
        const size_t dot = std::min(text.find('.', start), text.size());
        const std::string_view label = text.substr(start, dot - start);
        if (label.empty() || !accepted(label))
            return 0;
        if (dot == text.size())
            return count + 1;
        start = dot + 1;
    }
}

} // namespace

bool IsEmailAddress(const std::string& address) {
    const std::string_view text(address);
    const size_t at = text.find('@');
    if (at == std::string_view::npos || text.find('@', at + 1) != std::string_view::npos)
        return false;
    return CountLabels(text.substr(0, at), IsLocalLabel) >= 1 &&
           CountLabels(text.substr(at + 1), IsDomainLabel) >= 2;
}

} // namespace tolvane::signup
