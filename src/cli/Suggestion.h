// "Did you mean ...?" for a mistyped command or option.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace tolvane::cli {

// The candidate nearest to `typed` by edit distance (insertions, deletions,
// substitutions and swaps of neighbours), when it is near enough to be what
// the user meant: at most a third of the longer word's letters differ, or
// `typed` begins the candidate. Empty when none is.
std::string NearestWord(std::string_view typed, std::span<const std::string_view> candidates);

} // namespace tolvane::cli
