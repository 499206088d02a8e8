// Moving files to the recycle bin through the shell.
#include "platform/Trash.h"

#include "platform/Win32Support.h"

#include <shellapi.h>

namespace tolvane::platform {

bool MoveToTrash(const std::string& path, std::string& error) {
    // The shell wants a full path with "\" (no "\\?\" prefix) and a list
    // ended by two nulls.
    std::wstring from = win::Widen(path);
    for (wchar_t& c : from) {
        if (c == L'/')
            c = L'\\';
    }
    const DWORD length = GetFullPathNameW(from.c_str(), 0, nullptr, nullptr);
    std::wstring full(length + 1, L'\0');
    const DWORD got = GetFullPathNameW(from.c_str(), length, full.data(), nullptr);
    if (got == 0 || GetFileAttributesW(full.c_str()) == INVALID_FILE_ATTRIBUTES) {
        error = path + ": " + win::WindowsErrorText(GetLastError());
        return false;
    }
    full.resize(got);
    full.push_back(L'\0');
    full.push_back(L'\0');
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = full.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NO_UI;
    const int result = SHFileOperationW(&operation);
    if (result != 0 || operation.fAnyOperationsAborted) {
        error = path + ": cannot move it to the recycle bin (shell error " +
                std::to_string(result) + ")";
        return false;
    }
    return true;
}

} // namespace tolvane::platform
