// The program's boxes: a message, and the question about a ZIP that holds
// other entries (a task dialog, for its own button captions and the list of
// entries under "details").
#pragma once

#include "win/VerbView.h"

#include <windows.h>

namespace tolvane::win {

void ShowMessageBox(HWND owner, const Message& message);
ReplaceAnswer AskReplaceOrAddBox(HWND owner, const ReplaceQuestion& question);

} // namespace tolvane::win
