#include "FolderNames.h"

namespace tolvane::ui {

namespace {

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

bool IsAbsolute(const std::string& path) {
    return (!path.empty() && IsSeparator(path[0])) || (path.size() >= 2 && path[1] == ':');
}

// The folder's own length without its trailing separators, a root's kept
// ("/", "C:\").
size_t TrimmedLength(const std::string& path) {
    size_t end = path.size();
    const size_t root = path.size() >= 2 && path[1] == ':' ? 3 : 1;
    while (end > root && IsSeparator(path[end - 1]))
        --end;
    return end;
}

} // namespace

std::string FolderOf(const std::string& argument, const std::string& currentFolder) {
    std::string folder = argument.substr(0, TrimmedLength(argument));
    if (IsAbsolute(folder) || currentFolder.empty())
        return folder;
    const char separator = currentFolder.find('\\') != std::string::npos ? '\\' : '/';
    std::string base = currentFolder.substr(0, TrimmedLength(currentFolder));
    if (!IsSeparator(base.back()))
        base += separator;
    return base + folder;
}

std::string LastComponent(const std::string& folder) {
    const std::string trimmed = folder.substr(0, TrimmedLength(folder));
    const size_t cut = trimmed.find_last_of("/\\:");
    std::string name = cut == std::string::npos ? trimmed : trimmed.substr(cut + 1);
    // A drive's root has no name of its own: its letter names the ZIP.
    if (name.empty() && trimmed.size() >= 2 && trimmed[1] == ':')
        name = trimmed.substr(0, 1);
    return name;
}

std::string ParentFolder(const std::string& folder) {
    const std::string trimmed = folder.substr(0, TrimmedLength(folder));
    const size_t cut = trimmed.find_last_of("/\\");
    if (cut == std::string::npos)
        return trimmed.size() >= 2 && trimmed[1] == ':' ? trimmed.substr(0, 2) + "\\" : "";
    // The root keeps its separator ("/x" is in "/", "C:\x" in "C:\").
    if (cut == 0 || (cut == 2 && trimmed[1] == ':'))
        return trimmed.substr(0, cut + 1);
    return trimmed.substr(0, cut);
}

} // namespace tolvane::ui
