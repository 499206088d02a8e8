// The "Monetize..." entry of the folder menus. On Windows the Explorer verb
// of the current user's classes (HKEY_CURRENT_USER\Software\Classes); in
// its place elsewhere the Dolphin, Nautilus and Nemo forms, each starting the
// program on the chosen folder, written for the current user unless the
// package installed them for every user.
#pragma once

#include <string>
#include <vector>

namespace tolvane::app {

// `command` is the program's path followed by " %1" (the folder); `classKey`
// "Directory" means folders. On Windows: the keys ClassKey\Shell\VerbKey
// (unnamed value `caption`) and its "Command" (the command with the path and
// the folder quoted). Writes (overwriting) under $XDG_DATA_HOME, but
// nothing when a system-wide entry is installed in one of the XDG data
// folders, where the file managers would show it a second time. The entries
// name no MIME type: the program is no handler of folders, and must not
// appear in their "Open With" lists. Failures are ignored, as a menu entry is
// a convenience.
void RegisterShellVerb(const std::string& classKey, const std::string& verbKey,
                       const std::string& caption, const std::string& command);

// True when the package's own entries are installed in one of the XDG data
// folders ($XDG_DATA_DIRS).
bool SystemWideShellVerbExists();

struct UnregisterResult {
    std::vector<std::string> removed; // the files removed
    std::vector<std::string> failed;  // files that stay, each with why
};

// Removes the per-user files that RegisterShellVerb writes for these
// arguments, and the desktop entry that earlier versions wrote beside them.
UnregisterResult UnregisterShellVerb(const std::string& classKey, const std::string& verbKey,
                                     const std::string& caption);

} // namespace tolvane::app
