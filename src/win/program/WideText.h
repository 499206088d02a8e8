// The core's UTF-8 text and the Win32 API's UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace tolvane::win {

std::wstring Wide(std::string_view text);
std::string Narrow(std::wstring_view text);

} // namespace tolvane::win
