// The program-wide state that start-up sets up and the monetize job reads
// and writes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tolvane::app {

struct ProgramState {
    std::string SelectedFolder;
    std::string TempFolder; // always ends in "/"
    std::string ArchivePassword;
    bool SignedUp = false;
    std::string PartnerID;
    std::string SoftwareID;
    int32_t TargetLanguage = 0;
    int32_t UILanguage = 0;
    std::string ReferralRef;
    std::vector<std::string> ShortcutNames; // ".URL" already appended
    std::vector<std::string> ZipFileList{"", ""};
};

} // namespace tolvane::app
