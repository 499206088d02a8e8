// "Did you mean ...?" for a mistyped command or option.
#include "cli/Suggestion.h"

#include <algorithm>
#include <vector>

namespace tolvane::cli {

namespace {

// Optimal string alignment distance: Levenshtein plus the swap of two
// neighbouring letters, the most common typing slip ("moneitze").
size_t EditDistance(std::string_view a, std::string_view b) {
    const size_t width = b.size() + 1;
    std::vector<size_t> d((a.size() + 1) * width);
    auto at = [&](size_t i, size_t j) -> size_t& { return d[i * width + j]; };
    for (size_t i = 0; i <= a.size(); ++i)
        at(i, 0) = i;
    for (size_t j = 0; j <= b.size(); ++j)
        at(0, j) = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
            at(i, j) = std::min({at(i - 1, j) + 1, at(i, j - 1) + 1, at(i - 1, j - 1) + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                at(i, j) = std::min(at(i, j), at(i - 2, j - 2) + 1);
        }
    }
    return at(a.size(), b.size());
}

} // namespace

std::string NearestWord(std::string_view typed, std::span<const std::string_view> candidates) {
    std::string_view best;
    size_t bestDistance = 0;
    for (std::string_view candidate : candidates) {
        const size_t distance = EditDistance(typed, candidate);
        const size_t longer = std::max(typed.size(), candidate.size());
        const bool near =
            distance * 3 <= longer || (typed.size() >= 2 && candidate.starts_with(typed));
        if (near && (best.empty() || distance < bestDistance)) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return std::string(best);
}

} // namespace tolvane::cli
