// Reading the META tags of the update page.
#pragma once

#include "UpdateInfoValues.h"
#include "UpdateTagInfo.h"

#include <string>
#include <vector>

namespace tolvane::update {

// The values of the tags named in `tags`, from `lines` in order (a later line
// overwrites an earlier one). A line counts when it holds "META NAME" in
// upper case; its tag name starts 11 characters later (after `="`) and ends
// before the next double quote within 255 characters. Its content starts 9
// characters after "CONTENT=" (any letter case) and ends the same way.
TUpdateInfoValues ParseInfo(const std::vector<std::string>& lines, const TUpdateTagInfo& tags);

// Splits received text into lines at CR LF, LF or CR; a final line break
// does not start another line.
std::vector<std::string> SplitLines(const std::string& text);

} // namespace tolvane::update
