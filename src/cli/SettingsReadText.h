// What the command line tells of settings that cannot be read, in the
// windows' words; the store names only the file and the cause.
#pragma once

#include <string>

namespace tolvane::cli {

inline std::string SettingsReadText(const std::string& supportEmail) {
    return "Could not read data from Registry.\r\nPlease contact us at " + supportEmail;
}

} // namespace tolvane::cli
