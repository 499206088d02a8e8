// A link of the program's windows opened through the shell (the browser, the
// mail program); where nothing takes it, a box with the address to copy.
#pragma once

#include <string>

#include <windows.h>

namespace tolvane::win {

// `failedText` is the box's line above the address, in the interface language.
void OpenAddress(HWND owner, const std::string& url, const std::string& failedText);

} // namespace tolvane::win
