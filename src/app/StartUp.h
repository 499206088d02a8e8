// The window-free start-up steps that the program and the command line share.
#pragma once

#include "ProgramState.h"
#include "Translation.h"
#include "VendorConfig.h"

#include <ostream>
#include <string>

namespace tolvane::app {

struct StartUpResult {
    ProgramState state;
    TranslationTable texts;
    std::string settingsError;      // the registry-read message, when reading failed
    std::string settingsProblem;    // then the settings file and what was wrong with it
    std::string workingFolderError; // set when no working folder could be had
};

// Interface language from the locale; transl.dat beside the program; the
// working folder prepared and emptied (sparing running jobs); the folder-menu
// entry for `verbProgram` (skipped when empty); the stored settings.
StartUpResult StartUp(const VendorConfig& vendor, const std::string& verbProgram,
                      std::ostream& warnings);

} // namespace tolvane::app
