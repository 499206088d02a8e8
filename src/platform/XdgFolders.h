// The folders of the freedesktop.org base directory layout.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tolvane::platform {

// $HOME, else the home folder of the user's account; nullopt when neither is known.
std::optional<std::string> HomeFolder();

// $XDG_DATA_HOME, else ~/.local/share; $XDG_CONFIG_HOME, else ~/.config. A
// relative value is invalid and ignored, as the layout says. Without a home
// folder, the relative defaults (".local/share", ".config") are given.
std::string XdgDataHome();
std::string XdgConfigHome();

// The system-wide data folders, most important first: $XDG_DATA_DIRS split
// at ":", relative entries left out; "/usr/local/share" and "/usr/share" when
// it is unset or names none.
std::vector<std::string> XdgDataDirs();

} // namespace tolvane::platform
