// Small text operations on paths and names, with "/" as the separator.
#pragma once

#include <string>
#include <string_view>

namespace tolvane::archive {

// Text up to and including the last separator ("" when there is none).
std::string_view FolderPartOf(std::string_view path);
// Text after the last separator.
std::string_view NamePartOf(std::string_view path);
// Extension of the name part, from its last "." on, dot included ("" when none).
std::string_view ExtensionOf(std::string_view path);
std::string WithTrailingSeparator(std::string_view path);
std::string UpperAscii(std::string_view text);
std::string LowerAscii(std::string_view text);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix);

} // namespace tolvane::archive
