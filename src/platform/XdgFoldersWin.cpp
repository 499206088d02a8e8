// The per-user folders on Windows: the known folders of the shell, with the
// XDG variables still taking precedence when they name an absolute path (the
// tests and portable set-ups give the program folders of their own).
#include "platform/XdgFolders.h"

#include "platform/Environment.h"
#include "platform/TempFile.h"
#include "platform/Win32Support.h"

#include <knownfolders.h>
#include <shlobj.h>

namespace tolvane::platform {

namespace {

bool IsAbsolute(const std::string& path) {
    return (path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) ||
           (path.size() >= 2 && (path[0] == '\\' || path[0] == '/') &&
            (path[1] == '\\' || path[1] == '/'));
}

std::optional<std::string> KnownFolder(REFKNOWNFOLDERID id) {
    wchar_t* path = nullptr;
    const HRESULT result = SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path);
    std::optional<std::string> folder;
    if (SUCCEEDED(result) && path && *path)
        folder = win::ProgramPath(path);
    CoTaskMemFree(path);
    return folder;
}

// Read wide: a user name outside the ANSI code page ("C:\Users\Jürgen" under
// any code page but 1252) would not survive the narrow environment.
std::optional<std::string> AbsoluteVariable(const char* name) {
    std::optional<std::string> value = EnvironmentValue(name);
    if (value && IsAbsolute(*value))
        return value;
    return std::nullopt;
}

// Never the current folder: without the known folder, the temporary one.
std::string FolderOr(std::optional<std::string> folder) {
    if (folder)
        return *folder;
    std::string temp = SystemTempFolder();
    temp.pop_back();
    return temp;
}

} // namespace

std::optional<std::string> HomeFolder() {
    if (auto profile = AbsoluteVariable("USERPROFILE"))
        return profile;
    return KnownFolder(FOLDERID_Profile);
}

std::string XdgDataHome() {
    if (auto folder = AbsoluteVariable("XDG_DATA_HOME"))
        return *folder;
    return FolderOr(KnownFolder(FOLDERID_LocalAppData));
}

std::string XdgConfigHome() {
    if (auto folder = AbsoluteVariable("XDG_CONFIG_HOME"))
        return *folder;
    return FolderOr(KnownFolder(FOLDERID_RoamingAppData));
}

std::vector<std::string> XdgDataDirs() {
    return {FolderOr(KnownFolder(FOLDERID_ProgramData))};
}

} // namespace tolvane::platform
