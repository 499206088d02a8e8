#include "NameMatch.h"

#include <algorithm>

namespace tolvane::platform {

namespace {

char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

bool NtfsLess(const std::string& left, const std::string& right) {
    const size_t common = std::min(left.size(), right.size());
    for (size_t i = 0; i < common; ++i) {
        const auto a = static_cast<unsigned char>(AsciiUpper(left[i]));
        const auto b = static_cast<unsigned char>(AsciiUpper(right[i]));
        if (a != b)
            return a < b;
    }
    if (left.size() != right.size())
        return left.size() < right.size();
    return left < right;
}

// Greedy with one back-track point, which is enough because a later "*"
// supersedes every earlier one.
bool WildcardMatch(std::string_view mask, std::string_view name) {
    size_t m = 0;
    size_t n = 0;
    size_t starMask = std::string_view::npos;
    size_t starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == '*') {
            starMask = m++;
            starName = n;
            continue;
        }
        if (m < mask.size() && (mask[m] == '?' || AsciiUpper(mask[m]) == AsciiUpper(name[n]))) {
            ++m;
            ++n;
            continue;
        }
        if (starMask == std::string_view::npos)
            return false;
        m = starMask + 1;
        n = ++starName;
    }
    while (m < mask.size() && mask[m] == '*')
        ++m;
    return m == mask.size();
}

bool HasWildcards(std::string_view text) {
    return text.find_first_of("*?") != text.npos;
}

} // namespace tolvane::platform
