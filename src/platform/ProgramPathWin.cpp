#include "platform/ProgramPath.h"

#include "platform/Win32Support.h"

namespace tolvane::platform {

std::string ProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD got = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (got == 0)
            return std::string();
        if (got < path.size()) {
            path.resize(got);
            return win::ProgramPath(path);
        }
        path.resize(path.size() * 2);
    }
}

} // namespace tolvane::platform
