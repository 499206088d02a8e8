// The names of files being written, and the removal of those a killed
// process left, on Windows: the same names as on POSIX.
#include "platform/PartFiles.h"

#include "platform/ProcessExists.h"
#include "platform/Win32Support.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace tolvane::platform {

int RemoveStalePartFiles(const FolderHandle& folder) {
    const std::wstring base = win::FolderPathOf(folder.Descriptor());
    if (base.empty())
        return 0;
    WIN32_FIND_DATAW found;
    const HANDLE find = FindFirstFileExW((base + L".tolvane-*.part").c_str(), FindExInfoBasic,
                                         &found, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    // Plain files only: a folder or a reparse point of that name is left
    // alone. Every file of the folder is the user's own here (no owner test).
    std::vector<std::wstring> stale;
    do {
        const auto writer = PartFileWriter(win::Narrow(found.cFileName));
        if (!writer || ProcessExists(*writer) ||
            (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
            continue;
        stale.emplace_back(found.cFileName);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    int removed = 0;
    for (const std::wstring& name : stale)
        removed += DeleteFileW((base + name).c_str()) ? 1 : 0;
    return removed;
}

} // namespace tolvane::platform
