// The shell's save dialog (IFileSaveDialog) for the ZIP.
#pragma once

#include "win/VerbView.h"

#include <optional>
#include <string>

#include <windows.h>

namespace tolvane::win {

// The chosen file's path, or nothing when the user cancelled (or the dialog
// could not be made). An existing file is taken without a question: the job
// adds to it.
std::optional<std::string> ShowSaveDialog(HWND owner, const SaveRequest& request);
// ShowSaveDialog, unless TOLVANE_TEST_SAVE_PATH answers it beforehand (for
// the checks that drive the program without a user): that path, or "-" for
// Cancel (Wine passes no empty variables).
std::optional<std::string> AskSavePath(HWND owner, const SaveRequest& request);

} // namespace tolvane::win
