// The core's UTF-8 text and the Win32 API's UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace tolvane::win {

std::wstring Wide(std::string_view text);
std::string Narrow(std::wstring_view text);
// A path the system gave (an argument, the save dialog's choice) in the
// core's form: UTF-8 with "/" between the names, so that the names the job
// derives from it (the BH archive's from the ZIP's) are found.
std::string CorePath(std::wstring_view systemPath);

} // namespace tolvane::win
