#include "OpenAddress.h"

#include "MessageBoxes.h"

#include "platform/OpenWithDesktop.h"

namespace tolvane::win {

void OpenAddress(HWND owner, const std::string& url, const std::string& failedText) {
    if (platform::OpenWithDesktop(url, ""))
        return;
    // A message box's text is copied with Ctrl+C.
    ShowMessageBox(owner, {ui::Message::Kind::Warning, "Tolvane", failedText + "\n\n" + url});
}

} // namespace tolvane::win
