#include "platform/Environment.h"

#include "platform/Win32Support.h"

#include <cstdlib>

namespace tolvane::platform {

std::optional<std::string> EnvironmentValue(const std::string& name) {
    // The wide form: the narrow one is in the ANSI code page, not UTF-8.
    const wchar_t* value = _wgetenv(win::Widen(name).c_str());
    if (!value)
        return std::nullopt;
    return win::Narrow(value);
}

} // namespace tolvane::platform
