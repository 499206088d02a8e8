// Recursive emptying of a folder on Windows. Reparse points (symbolic links,
// junctions) are removed as themselves and never entered, so the emptying
// cannot reach outside the tree it was given.
#include "DeleteTree.h"

#include "platform/Win32Support.h"

#include <string_view>
#include <vector>

namespace tolvane::platform {

namespace {

bool EmptyFolder(const std::wstring& folder, bool resetAttributes, bool stopOnFailure);

// Removes one entry of a folder listing; false when it stays.
bool RemoveEntry(const std::wstring& path, DWORD attributes, bool resetAttributes,
                 bool stopOnFailure) {
    const bool folder = attributes & FILE_ATTRIBUTE_DIRECTORY;
    if (resetAttributes && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return folder ? RemoveDirectoryW(path.c_str()) != 0 : DeleteFileW(path.c_str()) != 0;
    if (folder)
        return EmptyFolder(path + L"\\", resetAttributes, stopOnFailure) &&
               win::RetryWhileShared([&] { return RemoveDirectoryW(path.c_str()); });
    return win::RetryWhileShared([&] { return DeleteFileW(path.c_str()); });
}

// `folder` ends in "\". The listing is read whole first, so removals do not
// disturb it.
bool EmptyFolder(const std::wstring& folder, bool resetAttributes, bool stopOnFailure) {
    WIN32_FIND_DATAW found;
    const HANDLE find = FindFirstFileExW((folder + L"*").c_str(), FindExInfoBasic, &found,
                                         FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    std::vector<std::pair<std::wstring, DWORD>> entries;
    do {
        const std::wstring_view name = found.cFileName;
        if (name != L"." && name != L"..")
            entries.emplace_back(std::wstring(name), found.dwFileAttributes);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    bool result = true;
    for (const auto& [name, attributes] : entries) {
        result = RemoveEntry(folder + name, attributes, resetAttributes, stopOnFailure);
        if (!result && stopOnFailure)
            return false;
    }
    return result;
}

} // namespace

bool DeleteTree(const std::string& folder, bool resetAttributes, bool stopOnFailure,
                bool removeFolder) {
    if (folder.empty())
        return false;
    const std::wstring path = win::OsPath(folder);
    const DWORD attributes = GetFileAttributesW(path.c_str());
    // A link named as the folder itself is not followed either.
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return false;
    if (!EmptyFolder(path + L"\\", resetAttributes, stopOnFailure))
        return false;
    return !removeFolder || win::RetryWhileShared([&] { return RemoveDirectoryW(path.c_str()); });
}

} // namespace tolvane::platform
