// The window-free start-up steps that the program and the command line share.
#pragma once

#include "ProgramState.h"
#include "Translation.h"

#include <ostream>
#include <string>

namespace tolvane::app {

struct StartUpResult {
    ProgramState state;
    TranslationTable texts;
    // When the settings could not be read: the settings file and what was
    // wrong with it (the front ends say what it means for the user).
    std::string settingsProblem;
    std::string workingFolderError; // set when no working folder could be had
};

// Interface language from the locale; transl.dat beside the program; the
// working folder prepared and emptied (sparing running jobs); the folder-menu
// entry for `verbProgram` (skipped when empty); the stored settings.
StartUpResult StartUp(const std::string& verbProgram, std::ostream& warnings);

// What every start of either program does first, whatever it was asked to
// do: the job folders of processes that no longer exist are removed from the
// working folders, so that a killed job leaves nothing behind for long.
void RemoveLeftoverJobFolders();

// `tolvane --unregister`: removes the folder-menu entries that StartUp writes
// for the current user, naming each file removed on `out` (or that there was
// none) and each that could not be on `err`. Returns the exit status: 0, also
// when there was nothing to remove; 1 when a file stays.
int UnregisterFolderMenu(std::ostream& out, std::ostream& err);

} // namespace tolvane::app
