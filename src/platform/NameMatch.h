// How the listings order names and match them against a mask, the same on
// every system: the order NTFS keeps, and "*" and "?" wildcards.
#pragma once

#include <string>
#include <string_view>

namespace tolvane::platform {

// NTFS keeps names ordered by their upper-cased form (ASCII letters); names
// that differ only in case are ordered by their own bytes, so the order is
// total.
bool NtfsLess(const std::string& left, const std::string& right);

// Wildcard match of a whole name: "*" any run (also none), "?" exactly one
// byte, ASCII letters compared without case.
bool WildcardMatch(std::string_view mask, std::string_view name);

bool HasWildcards(std::string_view text);

} // namespace tolvane::platform
