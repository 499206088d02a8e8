// The shell's "open" of a file, as a double click in Explorer would do it.
#include "platform/OpenWithDesktop.h"

#include "platform/Win32Support.h"

#include <shellapi.h>

namespace tolvane::platform {

Expected<void> OpenWithDesktop(const std::string& path, const std::string& parameters) {
    std::wstring file = win::Widen(path);
    for (wchar_t& c : file) {
        if (c == L'/')
            c = L'\\';
    }
    const std::wstring arguments = win::Widen(parameters);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    // No asynchronous start: the call may return before the program is found otherwise.
    info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = file.c_str();
    info.lpParameters = arguments.empty() ? nullptr : arguments.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info)) {
        const DWORD error = GetLastError();
        // The same words as the other systems' for a file no program takes.
        if (error == ERROR_NO_ASSOCIATION)
            return Unexpected{Failure(path, "no program was found that opens this kind of file")};
        return Unexpected{Failure(path, "cannot open it: " + win::WindowsErrorText(error))};
    }
    return {};
}

} // namespace tolvane::platform
